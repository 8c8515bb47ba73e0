#pragma once
// The render size the play screen lays itself out for: the engine's, or a fallback when no
// engine runs (headless tests, tools). The fallback starts at 2560 x 1440.
#include <utility>

std::pair<float, float> GetGameRenderSize();
void SetFallbackRenderSize(float aWidth, float aHeight);
