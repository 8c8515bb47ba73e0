#include "State.h"

#include "engine/Engine.h"
#include "text/TextService.h"
#include "platform/Platform.h"

#include <cstdio>

namespace
{
constexpr const char* TIMER_FONT = "Text/arial.ttf";
constexpr Qel::u32 TIMER_SIZE = 14;
constexpr Qel::u32 AREA_TIMER_SIZE = 24;
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

void State::Prefetch()
{
    Qel::TextService::Prefetch(TIMER_FONT, TIMER_SIZE, 0);
    Qel::TextService::Prefetch(TIMER_FONT, AREA_TIMER_SIZE, 0);
}

State::State() : myTimerText(TIMER_FONT, TIMER_SIZE)
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
    Qel::Text text(TIMER_FONT, AREA_TIMER_SIZE);
    text.SetText(myTimerText.GetText());
    text.SetPosition({(renderWidth - aWidth) * 0.5f + 25.0f, (renderHeight - aHeight) * 0.5f + 25.0f});
    myTimerText = std::move(text);
}

void State::RenderTimerText() { myTimerText.Render(); }

void State::SetCursorVisible(bool aVisible) { Qel::Platform::ShowCursor(aVisible); }
