// PlayerClient -- the use hints: the icon of a slot that has just become ready to use rises beside the player and fades away again.
#include "client/PlayerClient.h"

#include "client/GameClient.h"
#include "client/ScreenConversion.h"
#include "core/ColorSystem.h"
#include "resources/fonts/ScreenText.h"
#include "rules/GameData.h"
#include "rules/GameSystemTuning.h"

void PlayerClient::InitUseHints()
{
    useHints.clear();
    if (!gGameData)
        return;
    for (const FloatPair& offset : gGameData->GetTuning().useHintOffsets) {
        UseHint hint;
        hint.x = offset.x;
        hint.y = offset.y;
        useHints.push_back(hint);
    }
}

void PlayerClient::QueueUseHint(const void* object, int32_t icon)
{
    if (!object || (gGameClient && !gGameClient->ShowsUseHints()))
        return;
    for (UseHint& hint : useHints)
        if (!hint.object) {
            hint.object = object;
            hint.icon = icon;
            hint.fade = 0.0f;
            hint.rising = true;
            return;
        }
}

void PlayerClient::UpdateUseHints(float seconds)
{
    const GameSystemTuning* tuning = gGameData ? &gGameData->GetTuning() : nullptr;
    float fadeIn = tuning ? tuning->useHintFadeInSpeed : 0.0f;
    float fadeOut = tuning ? tuning->useHintFadeOutSpeed : 0.0f;
    for (UseHint& hint : useHints) {
        if (!hint.object)
            continue;
        if (hint.rising) {
            hint.fade += fadeIn * seconds;
            if (hint.fade > 1.0f) {
                hint.fade = 1.0f;
                hint.rising = false;
            }
        } else {
            hint.fade -= fadeOut * seconds;
            if (hint.fade < 0.0f) {
                hint.fade = 0.0f;
                hint.object = nullptr;
            }
        }
    }
}

void PlayerClient::DrawUseHints() const
{
    const EntityClient* shown = GetBody();
    if (!shown || !gScreenText || !gGameData)
        return;
    float side = gGameData->GetTuning().useHintSize;
    Vector2 origin = Client::GetTargetScreenInfo(shown->position);
    Color tint;
    ColorSystem::GetColorByIndex(tint.r, tint.g, tint.b, 0);
    for (const UseHint& hint : useHints)
        if (hint.object && hint.icon != -1)
            gScreenText->DrawShaderRect(hint.icon, tint, origin.x + hint.x, origin.y + hint.y, origin.x + hint.x + side,
                                        origin.y + hint.y + side, hint.fade, false, false, 0);
}

void PlayerClient::ClearUseHints()
{
    for (UseHint& hint : useHints)
        hint.object = nullptr;
}

void PlayerClient::RemoveUseHint(const void* object)
{
    for (UseHint& hint : useHints)
        if (hint.object == object)
            hint.object = nullptr;
}
