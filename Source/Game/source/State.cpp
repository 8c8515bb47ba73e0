#include "State.h"

#include "engine/Engine.h"
#include "platform/Platform.h"

#include <cstdio>

namespace
{
constexpr const char* TIMER_FONT = "Text/arial.ttf";
}

std::pair<float, float> GetRenderSizeF()
{
    if (const Qel::Engine* engine = Qel::Engine::GetInstance())
    {
        const auto [width, height] = engine->GetRenderSize();
        return {static_cast<float>(width), static_cast<float>(height)};
    }
    return {1280.0f, 720.0f};
}

State::State() : myTimerText(TIMER_FONT, 14)
{
    myTimerString.reserve(48);
}

State::~State() = default;

void State::UpdateTimer(float aDeltaTime)
{
    myElapsedTime += aDeltaTime;
    char buffer[48];
    const int length = std::snprintf(buffer, sizeof(buffer), "Time: %.2fs", static_cast<double>(myElapsedTime));
    myTimerString.assign(buffer, length > 0 ? static_cast<size_t>(length < 48 ? length : 47) : 0);
    myTimerText.SetText(myTimerString);
}

void State::InitTimerText(float aWidth, float aHeight)
{
    const auto [renderWidth, renderHeight] = GetRenderSizeF();
    Qel::Text text(TIMER_FONT, 24);
    text.SetText(myTimerText.GetText());
    text.SetPosition({(renderWidth - aWidth) * 0.5f + 25.0f, (renderHeight - aHeight) * 0.5f + 25.0f});
    myTimerText = std::move(text);
}

void State::RenderTimerText() { myTimerText.Render(); }

void State::SetCursorVisible(bool aVisible) { Qel::Platform::ShowCursor(aVisible); }
