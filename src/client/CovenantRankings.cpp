// CovenantRankings -- the covenants ranked by influence and by power each frame, the leader announcements, and the relation queries of the menus.
#include "client/CovenantRankings.h"

#include "client/ClientApp.h"
#include "client/ClientMessages.h"
#include "client/ClientMusic.h"
#include "client/GameClient.h"
#include "client/LocalPlayerLink.h"
#include "core/EngineEnums.h"
#include "core/StringUtil.h"
#include "rules/covenants/DiplomacyText.h"

#include <algorithm>

template <class Value>
void CovenantRankings::Rank(std::vector<Place>& ranking, Value value) const
{
    int32_t count = client.GetCovenantCount();
    ranking.assign(static_cast<size_t>(count), Place{});
    for (int32_t i = 0; i < count; ++i)
        if (const CovenantClient* covenant = client.GetCovenant(i, false))
            ranking[static_cast<size_t>(i)] = Place{i, value(*covenant)};
    // Highest first, equal values in covenant order. Sorted by insertion in place: a stable sort
    // of the library takes a buffer from the heap every frame, for a list of a few dozen.
    for (size_t i = 1; i < ranking.size(); ++i) {
        Place moving = ranking[i];
        size_t at = i;
        for (; at > 0 && ranking[at - 1].value < moving.value; --at)
            ranking[at] = ranking[at - 1];
        ranking[at] = moving;
    }
}

void CovenantRankings::UpdateRankings()
{
    Rank(influenceRanking, [](const CovenantClient& covenant) {
        return covenant.statistics.Get(CovenantStat::AbsoluteInfluence);
    });
    Rank(powerRanking, [](const CovenantClient& covenant) { return covenant.ComputeStrength(); });
}

void CovenantRankings::UpdateAnnouncements()
{
    if (!GetPlayerCovenant())
        return;
    RandomTimer& timer = client.announceTimer;
    if (timer.running && timer.remaining > 0.0f)
        return;
    int32_t influenceLeader = influenceRanking.empty() ? -1 : influenceRanking.front().covenant;
    int32_t powerLeader = powerRanking.empty() ? -1 : powerRanking.front().covenant;
    if (influenceLeader != lastInfluenceLeader && influenceLeader != -1 && lastInfluenceLeader != -1)
        Announce(influenceLeader, "$$LeadingCovenantInInfluenceIsNow$$ %s");
    if (powerLeader != lastPowerLeader && powerLeader != -1 && lastPowerLeader != -1)
        Announce(powerLeader, "$$LeadingCovenantInPowerIsNow$$ %s");
    lastInfluenceLeader = influenceLeader;
    lastPowerLeader = powerLeader;
    timer.running = 1;
    timer.total = kAnnouncePeriod;
    timer.remaining = kAnnouncePeriod;
}

void CovenantRankings::Announce(int32_t leader, const char* key) const
{
    const CovenantBase* covenant =
        leader < client.GetCovenantCount() ? client.GetCovenant(leader, false) : GetPlayerCovenant();
    std::string line = covenant ? DiplomacyText::CovenantLine(*covenant) : std::string();
    client.GetMusic().PlayInterfaceSound(InterfaceSound::MessageAlert);
    client.GetMessages().ShowLogText(StringFormat(key, line.c_str()));
}

void CovenantRankings::Reset()
{
    influenceRanking.clear();
    powerRanking.clear();
    lastInfluenceLeader = -1;
    lastPowerLeader = -1;
}

// ---- Questions -----------------------------------------------------------------------------------

namespace {

int32_t CovenantRankingsPlaceOf(const std::vector<CovenantRankings::Place>& ranking, int32_t covenant)
{
    for (size_t i = 0; i < ranking.size(); ++i)
        if (ranking[i].covenant == covenant)
            return static_cast<int32_t>(i);
    return -1;
}

} // namespace

int32_t CovenantRankings::GetInfluenceRank(int32_t covenant) const
{
    return CovenantRankingsPlaceOf(influenceRanking, covenant);
}

int32_t CovenantRankings::GetPowerRank(int32_t covenant) const
{
    return CovenantRankingsPlaceOf(powerRanking, covenant);
}

int32_t CovenantRankings::GetPowerRankCovenant(int32_t place) const
{
    if (place < 0 || place >= static_cast<int32_t>(powerRanking.size()))
        return -1;
    return powerRanking[static_cast<size_t>(place)].covenant;
}

const CovenantBase* CovenantRankings::GetPlayerCovenant() const
{
    LocalPlayerLink* link = gClientApp ? gClientApp->GetLink() : nullptr;
    return link ? link->GetPlayerCovenant() : nullptr;
}

const CovenantBase* CovenantRankings::FindCovenant(int32_t index) const
{
    const CovenantBase* own = GetPlayerCovenant();
    if (own && own->index == index)
        return own;
    return client.GetCovenant(index, false);
}

float CovenantRankings::GetRelationValue(int32_t a, int32_t b) const
{
    const CovenantBase* own = GetPlayerCovenant();
    bool aIsOwn = own && own->index == a;
    bool bIsOwn = own && own->index == b;
    auto valueOf = [this](int32_t from, int32_t toward) {
        const CovenantBase* covenant = FindCovenant(from);
        return covenant ? covenant->GetRelation(toward) : 0.0f;
    };
    if (aIsOwn && bIsOwn)
        return 0.5f;
    if (aIsOwn)
        return valueOf(b, a);
    if (bIsOwn)
        return valueOf(a, b);
    return (valueOf(a, b) + valueOf(b, a)) * 0.5f;
}

int32_t CovenantRankings::GetTreatyState(int32_t a, int32_t b) const
{
    const CovenantBase* covenant = FindCovenant(a);
    return covenant ? covenant->GetTreatyState(b) : 1;
}

std::optional<RelationRecord> CovenantRankings::GetTreatyRecord(int32_t a, int32_t b) const
{
    const CovenantBase* covenant = FindCovenant(a);
    if (!covenant || !covenant->HasRelation(b))
        return std::nullopt;
    RelationRecord record;
    record.relation = covenant->GetRelation(b);
    record.treaty = covenant->GetTreatyState(b);
    record.treatyStamp = covenant->GetTreatyTimeStamp(b);
    record.tradeRoute = covenant->GetTradeRouteKind(b);
    record.routeStamp = covenant->GetRelationTimeStamp(b);
    return record;
}
