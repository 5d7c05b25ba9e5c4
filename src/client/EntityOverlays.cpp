// EntityOverlays -- what the client draws over each entity it sees: rising damage and experience texts, the health bar and the timer bar.
#include "client/EntityOverlays.h"

#include "client/ClientApp.h"
#include "client/EntityClient.h"
#include "client/ClientSight.h"
#include "client/ClientUi.h"
#include "client/GameClient.h"
#include "core/ColorCode.h"
#include "core/DatabaseEntry.h"
#include "core/LocSystem.h"
#include "core/MathUtil.h"
#include "core/ColorSystem.h"
#include "core/UserVarSystem.h"
#include "render/ImmediateDraw.h"
#include "render/Renderer.h"
#include "render/TextMeasure.h"
#include "resources/fonts/ScreenText.h"
#include "rules/GameData.h"
#include "client/ScreenConversion.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

namespace {

// Text colours by whose entity it is: plain, then gain or experience.
constexpr int32_t kEntityOverlaysOwnColours[2] = {1, 2};
constexpr int32_t kEntityOverlaysCovenantColours[2] = {91, 57};
constexpr int32_t kEntityOverlaysOtherColours[2] = {0, 5};

// The overlay texts use the ladder's second font, as the floating texts of the frame do.
constexpr int32_t kEntityOverlaysFontPosition = 1;

int32_t EntityOverlaysFont()
{
    return gScreenText ? static_cast<int32_t>(gScreenText->GetLadderFont(kEntityOverlaysFontPosition)) : -1;
}

Color EntityOverlaysColour(int32_t index)
{
    if (index < 0 || index >= ColorType::kCount)
        index = 0;
    Color colour;
    ColorSystem::GetColorByIndex(colour.r, colour.g, colour.b, index);
    return colour;
}

bool EntityOverlaysOfCovenant(const EntityClient& entity, int32_t covenant)
{
    return entity.covenantIndex != -1 && covenant != -1 && entity.covenantIndex == covenant;
}

bool EntityOverlaysAtWar(const EntityClient& entity, int32_t covenant)
{
    if (!gGameClient || entity.covenantIndex < 0 || covenant < 0 ||
        entity.covenantIndex >= gGameClient->GetCovenantCount())
        return false;
    const CovenantClient* mirror = gGameClient->GetCovenant(entity.covenantIndex, false);
    return mirror && mirror->IsAtWarWith(covenant);
}

} // namespace

void EntityOverlays::RegisterVars()
{
    if (!gUserVarSystem)
        return;
    barsVar = gUserVarSystem->RegisterVar("ui_inGameHealthBars", "1");
    playerBarVar = gUserVarSystem->RegisterVar("ui_playerHealthBar", "0");
}

OverlayFrame EntityOverlays::GatherFrame() const
{
    OverlayFrame frame;
    frame.playerNumber = Client::GetLocalPlayerNumber();
    frame.playerCovenant = Client::GetPlayerCovenantIndex();
    if (gGameClient)
        frame.now = gGameClient->clock;
    if (gGameData) {
        const GameSystemTuning& tuning = gGameData->GetTuning();
        frame.riseSpeed = tuning.damageEventSpeed;
        frame.lifeSeconds = tuning.damageEventMaxTime;
        frame.fadeSeconds = tuning.damageEventFadeTime;
    }
    // The interface owns the switches and the raid rule that overrides them.
    const ClientUi* ui = gClientApp ? gClientApp->GetUi() : nullptr;
    frame.showDamage = !ui || ui->ShowDamageNumbers();
    frame.showExperience = !ui || ui->ShowXpNumbers();
    frame.bars = !barsVar.IsValid() || barsVar.GetBool();
    frame.playerBar = playerBarVar.IsValid() && playerBarVar.GetBool();
    return frame;
}

void EntityOverlays::Draw(const EntityClient& entity, const OverlayFrame& frame, OverlayCanvas& canvas)
{
    DrawTexts(entity, frame, canvas);
    DrawBars(entity, frame, canvas);
}

bool EntityOverlays::IsExperienceText(std::string_view text)
{
    return text.size() > 2 && text.ends_with("xp");
}

bool EntityOverlays::IsGainText(std::string_view text)
{
    return (text.size() > 1 && text[0] == '+') || (text.size() > 6 && text[0] == '^' && text[5] == '+');
}

float EntityOverlays::GetFade(float age, const OverlayFrame& frame)
{
    return InterpolationFactor(frame.lifeSeconds - frame.fadeSeconds, frame.lifeSeconds, age);
}

void EntityOverlays::DrawTexts(const EntityClient& entity, const OverlayFrame& frame, OverlayCanvas& canvas)
{
    if (entity.damageTexts.empty() || entity.IsHidden() || (!frame.showDamage && !frame.showExperience))
        return;
    const int32_t* colours = entity.entityNumber == frame.playerNumber ? kEntityOverlaysOwnColours
                             : EntityOverlaysOfCovenant(entity, frame.playerCovenant) ? kEntityOverlaysCovenantColours
                                                                                       : kEntityOverlaysOtherColours;
    float scale = canvas.GetScale() > 0.0f ? canvas.GetScale() : 1.0f;
    Vector2 top = canvas.GetEntityTop(entity);
    float base = top.y - kTextLift / scale;
    float limit = base;
    // Newest first, each above the one drawn before it.
    for (auto entry = entity.damageTexts.rbegin(); entry != entity.damageTexts.rend(); ++entry) {
        const std::string& text = entry->second;
        bool experience = IsExperienceText(text);
        if (experience ? !frame.showExperience : !frame.showDamage)
            continue;
        float age = TimeStamp::Difference(entry->first, frame.now).GetTotalSeconds();
        float y = std::min(base - age * frame.riseSpeed, limit);
        float alpha = 1.0f - GetFade(age, frame);
        limit = y - canvas.MeasureTextHeight(text) + kTextGap;
        canvas.DrawText(text, top.x, y, colours[experience || IsGainText(text) ? 1 : 0], alpha);
    }
}

bool EntityOverlays::ShowsHealthBar(const EntityClient& entity, const OverlayFrame& frame)
{
    if (entity.entityNumber == frame.playerNumber)
        return frame.playerBar;
    if (entity.GetAlpha() < kMinBarAlpha || entity.isPlayerBody || entity.IsHidden() || (entity.flags & kFlagNoBar))
        return false;
    if (entity.health > 0 && entity.health < entity.maxHealth)
        return true;
    if (entity.IsMonster() && !entity.givesQuests && !entity.IsDead() && !entity.isVendor)
        return true;
    if (entity.isNpc && !entity.IsDead() && entity.covenantIndex != -1)
        return true;
    bool opaque = entity.GetAlpha() >= 1.0f;
    return (entity.canBeRescued && opaque) || (entity.flags & kFlagQuestTarget) ||
           (entity.canReceiveDelivery && opaque) || entity.canBeEscorted;
}

int32_t EntityOverlays::GetHealthBarColour(const EntityClient& entity, const OverlayFrame& frame)
{
    if (entity.entityNumber == frame.playerNumber || EntityOverlaysOfCovenant(entity, frame.playerCovenant))
        return 2;
    if (entity.isNpcRenegade || entity.isNpcThief)
        return 1;
    if (entity.covenantIndex == -1)
        return entity.isNpc ? 5 : 1;
    return EntityOverlaysAtWar(entity, frame.playerCovenant) ? 1 : 6;
}

float EntityOverlays::GetHealthFill(const EntityClient& entity)
{
    if (entity.maxHealth < 1)
        return 1.0f;
    return std::clamp(static_cast<float>(entity.health) / static_cast<float>(entity.maxHealth), 0.0f, 1.0f);
}

float EntityOverlays::GetTimerFill(const EntityClient& entity)
{
    if (!(entity.timerDuration > 0.0f))
        return 0.0f;
    return std::clamp(entity.timerElapsed / entity.timerDuration, 0.0f, 1.0f);
}

void EntityOverlays::DrawBars(const EntityClient& entity, const OverlayFrame& frame, OverlayCanvas& canvas)
{
    if (!frame.bars)
        return;
    bool health = ShowsHealthBar(entity, frame);
    bool timer = entity.timerElapsed > 0.0f && entity.timerDuration > 0.0f &&
                 entity.timerElapsed < entity.timerDuration;
    if (!health && !timer)
        return;
    float scale = canvas.GetScale() > 0.0f ? canvas.GetScale() : 1.0f;
    Vector2 top = canvas.GetEntityTop(entity);
    float width = kBarWidth / scale;
    float height = kBarHeight / scale;
    float left = top.x - width * 0.5f;
    float y = top.y - kBarLift / scale;
    auto bar = [&](float barTop, float fill, int32_t colour) {
        canvas.FillRect(left, barTop, left + width, barTop + height, kBarBackgroundColour, 1.0f);
        canvas.FillRect(left, barTop, left + width * fill, barTop + height, colour, 1.0f);
    };
    if (health)
        bar(y, GetHealthFill(entity), GetHealthBarColour(entity, frame));
    if (timer)
        bar(y + kTimerGap / scale, GetTimerFill(entity), kTimerColour);
}

// ---- The screen --------------------------------------------------------------------------------

Vector2 ScreenOverlayCanvas::GetEntityTop(const EntityClient& entity) const
{
    ScreenBox box = Client::GetEntityScreenBox(entity);
    return Vector2{(box.x1 + box.x2) * 0.5f, box.y2};
}

float ScreenOverlayCanvas::GetScale() const
{
    return ScreenConversion::CurrentView().zoom;
}

float ScreenOverlayCanvas::MeasureTextHeight(const std::string& text) const
{
    return MeasureTextW(EntityOverlaysFont(), Shown(text)).height;
}

void ScreenOverlayCanvas::FillRect(float left, float top, float right, float bottom, int32_t colour, float alpha)
{
    if (gRenderer && right > left)
        gRenderer->GetImmediateDraw().DrawScreenQuad(-1, left, top, right, bottom, EntityOverlaysColour(colour), alpha,
                                                     QuadTexRect{0.0f, 0.0f, 1.0f, 1.0f}, GL_CLAMP_TO_EDGE,
                                                     GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}

void ScreenOverlayCanvas::DrawText(const std::string& text, float x, float y, int32_t colour, float alpha)
{
    if (!gScreenText)
        return;
    int32_t font = EntityOverlaysFont();
    const WString& shown = Shown(text);
    float width = MeasureTextW(font, shown).width;
    gScreenText->DrawText(font, shown, static_cast<int32_t>(std::lround(x - width * 0.5f)),
                          static_cast<int32_t>(std::lround(y)), EntityOverlaysColour(colour), false, alpha);
}

void ScreenOverlayCanvas::BeginFrame()
{
    std::erase_if(shownTexts, [](const ShownText& entry) { return !entry.drawn; });
    for (ShownText& entry : shownTexts)
        entry.drawn = false;
}

const WString& ScreenOverlayCanvas::Shown(const std::string& text) const
{
    auto found = std::find_if(shownTexts.begin(), shownTexts.end(),
                              [&text](const ShownText& entry) { return entry.source == text; });
    if (found == shownTexts.end()) {
        WString wide = NarrowToWide(text);
        if (gLocSystem && wide.find(u"$$") != WString::npos)
            wide = gLocSystem->Translate(wide);
        found = shownTexts.insert(shownTexts.end(), ShownText{text, std::move(wide)});
    }
    found->drawn = true;
    return found->shown;
}
