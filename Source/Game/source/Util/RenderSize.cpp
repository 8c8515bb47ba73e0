#include "Util/RenderSize.h"

#include "engine/Engine.h"

namespace
{
std::pair<float, float> ourFallbackSize{2560.0f, 1440.0f};
}

std::pair<float, float> GetGameRenderSize()
{
    if (const Qel::Engine* engine = Qel::Engine::GetInstance())
    {
        const auto [width, height] = engine->GetRenderSize();
        if (width > 0 && height > 0)
            return {static_cast<float>(width), static_cast<float>(height)};
    }
    return ourFallbackSize;
}

void SetFallbackRenderSize(float aWidth, float aHeight) { ourFallbackSize = {aWidth, aHeight}; }
