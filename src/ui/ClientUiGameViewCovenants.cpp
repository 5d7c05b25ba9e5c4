// ClientUiGameViewCovenants -- the interface's view of the covenants over the client's mirrors: the game's covenant list, their relations and rankings, and the local player's covenant mirror with its history and diplomacy records.
#include "ui/ClientUiGameView.h"

#include "client/ClientApp.h"
#include "client/ClientMessages.h"
#include "client/CovenantRankings.h"
#include "client/GameClient.h"
#include "client/LocalPlayerLink.h"
#include "client/PlayerClient.h"
#include "client/PlayerCovenantClient.h"
#include "client/RecruitClient.h"
#include "core/ColorCode.h"
#include "core/EngineEnums.h"
#include "rules/Formulas.h"
#include "rules/GameData.h"
#include "rules/GameSystemTuning.h"
#include "rules/RulesEnums.h"
#include "rules/covenants/DiplomacyText.h"
#include "ui/widgets/UISkillSlotRecruit.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

const CovenantClient* ViewCovenant(int32_t index)
{
    if (!gGameClient || index < 0 || index >= gGameClient->GetCovenantCount())
        return nullptr;
    return gGameClient->GetCovenant(index, false);
}

// The local player's own covenant mirror; none without a player or a covenant.
PlayerCovenantClient* ViewCovenantMirror()
{
    PlayerClient* player = gClientApp ? gClientApp->GetLocalPlayer() : nullptr;
    return player ? player->GetCovenant() : nullptr;
}

// What only the player's own mirror knows: the host's alerts, the offers waiting on an answer and
// the NPC the player targets that could join (the update's last recruit record).
void ViewOwnFlags(UiCovenantFacts& out)
{
    const PlayerCovenantClient* mirror = ViewCovenantMirror();
    out.beingRaided = mirror->GetAlertFlag(0);
    out.beingAttacked = mirror->GetAlertFlag(1);
    out.hasPendingDiplomacy = mirror->FindCovenantRecord() != -1;
    out.potentialRecruit = mirror->GetHero().entityNumber;
}

} // namespace

int32_t ClientUiGameView::GetPlayerCovenantIndex() const
{
    const PlayerCovenantClient* mirror = ViewCovenantMirror();
    return mirror ? mirror->index : -1;
}

int32_t ClientUiGameView::GetCovenantCount() const
{
    return gGameClient ? gGameClient->GetCovenantCount() : 0;
}

bool ClientUiGameView::GetCovenant(int32_t index, UiCovenantFacts& out) const
{
    if (!GetCovenantState(index, out))
        return false;
    const CovenantClient* covenant = ViewCovenant(index);
    for (int32_t slot = 0; slot < kMaxCovenantTraits; ++slot)
        out.traits.push_back(covenant->GetTraitId(slot));
    out.name = covenant->GetShownName();
    out.description = DiplomacyText::CovenantLine(*covenant);
    out.coloredName = MakeColorCode(out.colorIndex) + out.name + MakeColorCode(kNormalTextColor);
    return true;
}

bool ClientUiGameView::AppendCovenantName(int32_t index, bool colored, std::string& out) const
{
    const CovenantClient* covenant = ViewCovenant(index);
    if (!covenant)
        return false;
    // As GetCovenant's coloured name, written into the text's own room.
    if (colored)
        out += MakeColorCode(covenant->GetColor());
    out += covenant->GetShownName();
    if (colored)
        out += MakeColorCode(kNormalTextColor);
    return true;
}

bool ClientUiGameView::GetCovenantState(int32_t index, UiCovenantFacts& out) const
{
    const CovenantClient* covenant = ViewCovenant(index);
    if (!covenant)
        return false;
    out = UiCovenantFacts{};
    out.homeHealth = covenant->GetHomeHealth();
    out.maxHomeHealth = covenant->GetHomeMaxHealth();
    out.raiding = covenant->targetCovenant >= 0;
    out.targetCovenant = covenant->targetCovenant;
    out.beingRaided = covenant->recordFlag;
    out.defeated = covenant->eliminated;
    out.colorIndex = covenant->GetColor();
    out.strength = covenant->ComputeStrength();
    out.baseTaxes = covenant->GetBaseIncome();
    out.taxes = covenant->GetTotalTaxes();
    out.guardCosts = covenant->statistics.Get(CovenantStat::GuardCosts);
    if (ViewCovenantMirror() && index == GetPlayerCovenantIndex())
        ViewOwnFlags(out);
    return true;
}

int32_t ClientUiGameView::GetTreaty(int32_t from, int32_t to) const
{
    return gGameClient ? gGameClient->GetRankings().GetTreatyState(from, to) : 1;
}

bool ClientUiGameView::HasTradeRoute(int32_t a, int32_t b) const
{
    return GetTradeRouteKind(a, b) != 0;
}

bool ClientUiGameView::GetCovenantStat(int32_t covenant, int32_t index, int32_t& out) const
{
    const CovenantClient* mirror = ViewCovenant(covenant);
    if (!mirror || index < 0 || index >= mirror->statistics.GetCount())
        return false;
    out = mirror->statistics.Get(index);
    return true;
}

int32_t ClientUiGameView::GetCovenantByPower(int32_t position) const
{
    return gGameClient ? gGameClient->GetRankings().GetPowerRankCovenant(position) : -1;
}

int32_t ClientUiGameView::GetCovenantPowerRank(int32_t covenant) const
{
    return gGameClient ? gGameClient->GetRankings().GetPowerRank(covenant) : -1;
}

int32_t ClientUiGameView::GetCovenantInfluenceRank(int32_t covenant) const
{
    return gGameClient ? gGameClient->GetRankings().GetInfluenceRank(covenant) : -1;
}

float ClientUiGameView::GetOwnRelation(int32_t from, int32_t to) const
{
    const CovenantClient* covenant = ViewCovenant(from);
    return covenant && covenant->HasRelation(to) ? covenant->GetRelation(to) : 0.0f;
}

int32_t ClientUiGameView::GetTradeRouteIncome(int32_t covenant, int32_t partner) const
{
    const CovenantClient* mirror = ViewCovenant(covenant);
    if (!mirror || !mirror->HasRelation(partner) || mirror->GetTradeRouteKind(partner) == 0)
        return 0;
    return mirror->GetTradeRouteIncome(mirror->GetBaseIncome(), partner, mirror->GetTradeRouteKind(partner),
                                       mirror->GetRelationTimeStamp(partner));
}

int32_t ClientUiGameView::GetTradePartner() const
{
    return gGameClient ? gGameClient->selectedCovenant : -1;
}

float ClientUiGameView::GetRelation(int32_t from, int32_t to) const
{
    return gGameClient ? gGameClient->GetRankings().GetRelationValue(from, to) : 0.0f;
}

int32_t ClientUiGameView::GetTradeRouteKind(int32_t from, int32_t to) const
{
    if (!gGameClient)
        return 0;
    std::optional<RelationRecord> record = gGameClient->GetRankings().GetTreatyRecord(from, to);
    return record ? record->tradeRoute : 0;
}

bool ClientUiGameView::HasCovenantMirror() const
{
    return ViewCovenantMirror() != nullptr;
}

int32_t ClientUiGameView::GetHistoryCount() const
{
    const PlayerCovenantClient* mirror = ViewCovenantMirror();
    return mirror ? static_cast<int32_t>(mirror->GetHistory().size()) : 0;
}

bool ClientUiGameView::GetHistoryValue(int32_t point, int32_t covenant, int32_t value, int32_t& out) const
{
    const PlayerCovenantClient* mirror = ViewCovenantMirror();
    constexpr int32_t kValues = PlayerCovenantClient::kSampledStats;
    if (!mirror || point < 0 || point >= GetHistoryCount() || covenant < 0 || value < 0 || value >= kValues)
        return false;
    const std::vector<int32_t>& sample = mirror->GetHistory()[static_cast<size_t>(point)];
    size_t at = static_cast<size_t>(covenant) * kValues + static_cast<size_t>(value);
    // A point taken before the covenant existed holds nothing of it.
    if (at >= sample.size())
        return false;
    out = sample[at];
    return true;
}

int32_t ClientUiGameView::FindDiplomacyRecord() const
{
    const PlayerCovenantClient* mirror = ViewCovenantMirror();
    return mirror ? mirror->FindCovenantRecord() : -1;
}

// A record's kind is the first word of its first entry.
int32_t ClientUiGameView::GetDiplomacyRecordKind(int32_t covenant) const
{
    PlayerCovenantClient* mirror = ViewCovenantMirror();
    const auto* record = mirror ? mirror->GetCovenantRecord(covenant) : nullptr;
    return record && !record->empty() ? record->front()[0] : 0;
}

void ClientUiGameView::SetPlayerTrading(bool on) const
{
    if (PlayerClient* player = gClientApp ? gClientApp->GetLocalPlayer() : nullptr)
        player->tradeFlag = on;
}

void ClientUiGameView::SetDiplomacyText(int32_t covenant, int32_t kind) const
{
    if (gGameClient)
        gGameClient->GetMessages().SetDiplomacyText(covenant, kind);
}

void ClientUiGameView::ShowAllDiplomacyRecords() const
{
    if (PlayerCovenantClient* mirror = ViewCovenantMirror())
        mirror->ShowAllCovenantRecords();
}

void ClientUiGameView::OfferHelpTopic(const std::string& topic) const
{
    if (LocalPlayerLink* link = gClientApp ? gClientApp->GetLink() : nullptr)
        link->OfferHelpTopic(topic);
}

bool ClientUiGameView::GetRumorCost(int32_t covenant, int32_t kind, int32_t& cost) const
{
    const CovenantClient* target = ViewCovenant(covenant);
    return target && target->GetRumorCost(kind, cost);
}

bool ClientUiGameView::GetSelectedRecruitList(std::vector<int32_t>& entries) const
{
    const RecruitClient* recruit = UISkillSlotRecruit::GetSelectedRecruit();
    if (!recruit)
        return false;
    entries = recruit->idList;
    return true;
}
