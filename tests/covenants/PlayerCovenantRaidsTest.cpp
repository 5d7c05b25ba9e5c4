// PlayerCovenantRaidsTest -- the raid the player leads (its start, arrival, party and end), the raid statistics of the player, and adventuring together with another covenant with its two refusals.
#include "covenants/PlayerCovenantWorld.h"
#include "covenants/Recruit.h"
#include "entities/CombatSystem.h"
#include "entities/Gate.h"

#include <gtest/gtest.h>

#include <utility>

class PlayerCovenantRaids : public PlayerCovenantWorld {
protected:
    PlayerCovenantRaids() : covenant(AddPlayerCovenant()), target(AddCovenant("CovenantOther"))
    {
        EXPECT_TRUE(PlaceWithSettings(
            covenant, {{0, Id("MonsterTester"), 3}, {2, Id("MonsterTester"), 3}, {3, Id("MonsterTester"), 3}}));
        player = AddPlayer(covenant, 300.0f, 300.0f);
        player->maxHealth = player->health = 100;
        lifestone = GiveHome(target, 50, 100, 700.0f, 500.0f);
    }

    int32_t Statistic(int32_t stat) const { return player->statistics.Get(stat); }

    int32_t CountGates() const
    {
        int32_t gates = 0;
        for (int32_t number = 0; number < GameServices::kMaxEntities; ++number)
            gates += dynamic_cast<Gate*>(game.GetEntity(number)) != nullptr;
        return gates;
    }

    // The player's covenant raids the target: the treaty at Raid both ways.
    void RaidTarget(std::vector<int32_t> party = {0, 2})
    {
        covenant.StartRaid(target.index, *player, party);
        host.StartRaid(covenant, target);
    }


    PlayerCovenant& covenant;
    PlainCovenant& target;
    Player* player = nullptr;
    Entity* lifestone = nullptr;
};

TEST_F(PlayerCovenantRaids, TheRaidBeginsOnceWhenThePlayerComesWithinRangeOfTheTargetsHome)
{
    covenant.StartRaid(target.index, *player, {});
    ASSERT_EQ(covenant.targetCovenant, target.index);
    EXPECT_FALSE(covenant.raidUnderway);
    host.calls.clear();
    player->SetPosition(At(700.0f + 300.0f, 500.0f));
    covenant.Update(0.05f);
    EXPECT_TRUE(host.calls.empty()) << "300.0 away is not yet near";
    player->SetPosition(At(700.0f + 299.9f, 500.0f));
    covenant.Update(0.05f);
    covenant.Update(0.05f);
    EXPECT_EQ(host.calls, (std::vector<std::string>{"treaty 0 1 2", "raid 0 1"}));
    EXPECT_TRUE(covenant.raidUnderway);
    EXPECT_TRUE(covenant.CanBeVisited());
}

TEST_F(PlayerCovenantRaids, TheRaidTakesThePlayerToTheTargetWithTheRecruitsOfThePartyOnce)
{
    // A target naming no covenant, or this one, changes nothing.
    WorldPos before = player->position;
    for (int32_t bad : {-1, 2, 31, covenant.index})
        covenant.StartRaid(bad, *player, {0});
    EXPECT_EQ(covenant.targetCovenant, -1);
    EXPECT_FLOAT_EQ(player->position.x, before.x);
    EXPECT_EQ(player->FirstCompanion(), nullptr);

    covenant.StartRaid(target.index, *player, {-1, kMaxRecruits, 2, 2, 1, 0, 2});
    EXPECT_EQ(covenant.targetCovenant, target.index);
    EXPECT_LT(player->position.Distance2D(target.GetSpawnPointNearHome()), 5.0f * 32.0f);
    std::vector<int32_t> numbers;
    player->CollectCompanionNumbers(numbers);
    std::vector<int32_t> expected = {covenant.GetRecruitActor(2)->entityNumber,
                                     covenant.GetRecruitActor(0)->entityNumber};
    EXPECT_EQ(numbers, expected);
    for (int32_t slot : {0, 2})
        EXPECT_NE(covenant.GetRecruitActor(slot)->FindHateEntry(lifestone), nullptr) << slot;
    EXPECT_EQ(covenant.GetRecruitActor(3)->FindHateEntry(lifestone), nullptr);
}

// The world takes parties of four ("MaxAdventureGroupSize") but raids of three
// ("MaxRaidGroupSize"): the raid takes the player and the first two recruits named, and the third
// hears the party is full; the same three join an adventure whole.
TEST_F(PlayerCovenantRaids, ARaidTakesNoMoreThanTheRaidGroupSizeWithThePlayer)
{
    covenant.StartRaid(target.index, *player, {3, 0, 2});
    std::vector<int32_t> raiders;
    player->CollectCompanionNumbers(raiders);
    EXPECT_EQ(raiders, (std::vector<int32_t>{covenant.GetRecruitActor(3)->entityNumber,
                                              covenant.GetRecruitActor(0)->entityNumber}));
    EXPECT_EQ(covenant.GetRecruitActor(2)->FindHateEntry(lifestone), nullptr) << "the refused one stays out of it";
    ASSERT_FALSE(Messages().empty());
    EXPECT_NE(Messages().back().find("$$AlreadyHaveMaxPartySize$$"), std::string::npos);

    covenant.EndRaid(*player);
    for (int32_t slot : {3, 0, 2})
        player->AddToParty(covenant.GetRecruitActor(slot), Player::GetPartyLimit());
    std::vector<int32_t> adventurers;
    player->CollectCompanionNumbers(adventurers);
    EXPECT_EQ(adventurers.size(), 3u);
}

TEST_F(PlayerCovenantRaids, ThePartyRaidsAndIsCountedOnlyWhileTheTreatyIsRaid)
{
    auto party = [this]() {
        int32_t alive = -1;
        int32_t fallen = -1;
        covenant.CountRaidParty(alive, fallen);
        return std::pair{alive, fallen};
    };
    covenant.StartRaid(target.index, *player, {0, 2});
    Actor* raider = covenant.GetRecruitActor(0);
    EXPECT_FALSE(covenant.IsRecruitRaiding(*raider));
    EXPECT_EQ(party(), (std::pair{0, 0}));
    host.StartRaid(covenant, target);
    EXPECT_TRUE(covenant.IsRecruitRaiding(*raider));
    EXPECT_FALSE(covenant.IsRecruitRaiding(*covenant.GetRecruitActor(3)));
    EXPECT_EQ(party(), (std::pair{2, 0})) << "recruit 3 stayed home";
    raider->health = 0;
    EXPECT_EQ(party(), (std::pair{1, 1}));
}

TEST_F(PlayerCovenantRaids, EndingARaidCountsItAndBringsEveryoneHome)
{
    RaidTarget();
    int32_t otherGates = CountGates();
    ASSERT_TRUE(player->CreateGate(player->position, true, true));
    ASSERT_EQ(CountGates(), otherGates + 2);
    host.calls.clear();
    covenant.EndRaid(*player);
    EXPECT_EQ(Statistic(CharacterFunStat::RaidsOffensiveTotal), 1);
    EXPECT_EQ(Statistic(CharacterFunStat::RaidsOffensiveWon), 0);
    EXPECT_EQ(host.calls, std::vector<std::string>{"raid off 0 1"});
    EXPECT_EQ(covenant.targetCovenant, -1);
    EXPECT_EQ(player->FirstCompanion(), nullptr);
    for (int32_t slot : {0, 2, 3}) {
        Actor* actor = covenant.GetRecruitActor(slot);
        EXPECT_LE(actor->position.Distance2D(covenant.GetHomePosition()), 6.0f * 32.0f * 1.5f) << slot;
        EXPECT_TRUE(actor->homeSet);
        EXPECT_EQ(actor->FindHateEntry(lifestone), nullptr) << slot;
    }
    EXPECT_LE(player->position.Distance2D(covenant.GetHomePosition()), 6.0f * 32.0f * 1.5f);
    game.Step();
    EXPECT_EQ(CountGates(), otherGates) << "the raid's gate pair went with it";

    // A raid on a covenant that fell counts as won too.
    RaidTarget();
    target.eliminated = true;
    covenant.EndRaid(*player);
    EXPECT_EQ(Statistic(CharacterFunStat::RaidsOffensiveTotal), 2);
    EXPECT_EQ(Statistic(CharacterFunStat::RaidsOffensiveWon), 1);
}

TEST_F(PlayerCovenantRaids, ForgettingTheRaidedCovenantEndsTheRaid)
{
    PlainCovenant& bystander = AddCovenant();
    RaidTarget();
    covenant.ForgetCovenant(bystander);
    EXPECT_EQ(covenant.targetCovenant, target.index);
    covenant.ForgetCovenant(target);
    EXPECT_EQ(covenant.targetCovenant, -1);
    EXPECT_EQ(Statistic(CharacterFunStat::RaidsOffensiveTotal), 1);
}

TEST_F(PlayerCovenantRaids, DefenceAndFallAreCountedOnce)
{
    covenant.CountDeath(nullptr);
    EXPECT_EQ(Statistic(CharacterFunStat::RaidsDefensiveWon), 1);
    EXPECT_EQ(Statistic(CharacterFunStat::RaidsDefensiveTotal), 1);

    // Raided by the target, the fall is a defence lost.
    target.targetCovenant = covenant.index;
    covenant.SetTreatyState(target.index, CovenantTreaty::Raid);
    Actor* raider = SpawnActor();
    raider->covenantIndex = target.index;
    covenant.Eliminate(raider, false, false);
    covenant.Eliminate(raider, false, false);
    EXPECT_TRUE(covenant.eliminated);
    EXPECT_EQ(Statistic(CharacterFunStat::RaidsDefensiveTotal), 2);
    EXPECT_EQ(Statistic(CharacterFunStat::DestroyedByMonsters), 0);
    // A fallen covenant beats off no raid.
    covenant.CountDeath(raider);
    EXPECT_EQ(Statistic(CharacterFunStat::RaidsDefensiveWon), 1);
    EXPECT_EQ(Statistic(CharacterFunStat::RaidsDefensiveTotal), 2);
}

TEST_F(PlayerCovenantRaids, AFallToMonstersIsCountedAsSuch)
{
    Actor* monster = SpawnActor();
    covenant.Eliminate(monster, false, false);
    EXPECT_EQ(Statistic(CharacterFunStat::DestroyedByMonsters), 1);
    EXPECT_EQ(Statistic(CharacterFunStat::RaidsDefensiveTotal), 0);
    // A member of a covenant is no monster.
    PlayerCovenant& second = AddPlayerCovenant();
    Player* other = AddPlayer(second);
    Actor* member = SpawnActor();
    member->covenantIndex = target.index;
    second.Eliminate(member, false, false);
    EXPECT_EQ(other->statistics.Get(CharacterFunStat::DestroyedByMonsters), 0);
}

TEST_F(PlayerCovenantRaids, AdventuringTogetherIsRefusedDuringRaidsAndTownAttacks)
{
    PlayerCovenant& partner = AddPlayerCovenant();
    Player* partnerPlayer = AddPlayer(partner, 400.0f, 300.0f);
    RaidTarget();
    covenant.StartAdventuringWith(partner);
    EXPECT_EQ(Messages(), std::vector<std::string>{"msg 2 \"$$CantAdventureTogetherDuringRaids$$\""});
    // Being raided refuses too, on either side.
    covenant.EndRaid(*player);
    target.targetCovenant = partner.index;
    partner.SetTreatyState(target.index, CovenantTreaty::Raid);
    game.lines.clear();
    covenant.StartAdventuringWith(partner);
    EXPECT_EQ(Messages(), std::vector<std::string>{"msg 2 \"$$CantAdventureTogetherDuringRaids$$\""});
    target.targetCovenant = -1;
    game.lines.clear();
    host.openQuests = {{QuestType::Siege, nullptr}};
    covenant.StartAdventuringWith(partner);
    EXPECT_EQ(Messages(), std::vector<std::string>{"msg 2 \"$$CantAdventureTogetherDuringTownAttacks$$\""});
    host.openQuests = {{QuestType::TownAttack, nullptr}};
    covenant.StartAdventuringWith(partner);
    EXPECT_EQ(covenant.adventurePartner, -1);
    EXPECT_EQ(partner.adventurePartner, -1);
    EXPECT_EQ(partnerPlayer->GetLeader(), nullptr);
}

TEST_F(PlayerCovenantRaids, AdventuringTogetherJoinsTheLeadersAndEitherSideEndsIt)
{
    PlayerCovenant& partner = AddPlayerCovenant();
    Player* partnerPlayer = AddPlayer(partner, 400.0f, 300.0f);
    player->AddToParty(covenant.GetRecruitActor(0), 4);
    ASSERT_NE(player->FirstCompanion(), nullptr);
    covenant.StartAdventuringWith(partner);
    EXPECT_EQ(covenant.adventurePartner, partner.index);
    EXPECT_EQ(partner.adventurePartner, covenant.index);
    // Two players' covenants each join the leaders: one party of the two, the recruit sent home.
    EXPECT_TRUE(player->IsInParty(partnerPlayer));
    EXPECT_EQ(covenant.GetRecruitActor(0)->GetLeader(), nullptr);
    std::vector<Sentient*> party;
    player->CollectParty(party);
    EXPECT_EQ(party.size(), 2u);
    std::vector<std::string> messages = Messages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_NE(messages[0].find("AdventuringWithX~<covenant 0@@>~"), std::string::npos) << messages[0];
    EXPECT_NE(messages[1].find("AdventuringWithX~<covenant 2@@>~"), std::string::npos) << messages[1];

    game.lines.clear();
    covenant.StopAdventuringWith(covenant);
    EXPECT_EQ(covenant.adventurePartner, -1);
    EXPECT_EQ(partner.adventurePartner, -1);
    EXPECT_EQ(partnerPlayer->GetLeader(), nullptr);
    EXPECT_EQ(player->GetLeader(), nullptr);
    EXPECT_EQ(partnerPlayer->FirstCompanion(), nullptr);
    messages = Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("XHasStoppedAdventuringWithUs~<covenant 0@@>~"), std::string::npos) << messages[0];
    // Stopping again, or without a partner, does nothing.
    covenant.StopAdventuringWith(covenant);
    EXPECT_EQ(Messages().size(), 1u);

    // The game's shared adventure starts the same; told that the partner ended it, the covenant
    // stops its own side and says who did.
    partner.StartSharedAdventure(covenant);
    ASSERT_EQ(covenant.adventurePartner, partner.index);
    game.lines.clear();
    covenant.StopSharedAdventure();
    EXPECT_EQ(covenant.adventurePartner, -1);
    messages = Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("XHasStoppedAdventuringWithUs~<covenant 2@@>~"), std::string::npos) << messages[0];
}

namespace {

// A covenant that keeps only its own side of a shared adventure, as the computer-run ones do.
class SharingCovenant : public PlainCovenant {
public:
    void StartSharedAdventure(Covenant& other) override
    {
        heard.push_back("start " + std::to_string(other.index));
        adventurePartner = other.index;
    }
    void StopSharedAdventure() override
    {
        heard.push_back("stop");
        adventurePartner = -1;
    }
    std::vector<std::string> heard;
};

} // namespace

TEST_F(PlayerCovenantRaids, AComputerRunPartnerHearsItsSharedAdventureHooks)
{
    auto& partner = AddCovenantOf<SharingCovenant>("CovenantOther");
    Player* partnerLeader = AddPlayer(AddPlayerCovenant(), 350.0f, 300.0f);
    partner.leader = partnerLeader;
    covenant.StartAdventuringWith(partner);
    EXPECT_EQ(partner.heard, std::vector<std::string>{"start 0"});
    EXPECT_EQ(partnerLeader->GetLeader(), player);
    covenant.StopAdventuringWith(covenant);
    EXPECT_EQ(partner.heard, (std::vector<std::string>{"start 0", "stop"}));
    EXPECT_EQ(partnerLeader->GetLeader(), nullptr);
    EXPECT_EQ(covenant.adventurePartner, -1);
}

// A raid of one player's covenant on another's, its party killed as combat kills them: only the
// last raider's fall beats the raid off, and the raided player counts that defence once.
TEST_F(PlayerCovenantRaids, ARaidBeatenOffIsADefenceWonForTheRaidedPlayer)
{
    PlayerCovenant& defender = AddPlayerCovenant();
    ASSERT_TRUE(PlaceWithSettings(defender));
    Player* defending = AddPlayer(defender, 900.0f, 300.0f);
    covenant.StartRaid(defender.index, *player, {0, 2});
    host.StartRaid(covenant, defender);
    int32_t alive = 0;
    int32_t fallen = 0;
    covenant.CountRaidParty(alive, fallen);
    ASSERT_EQ(alive, 2) << "the party sets out";
    struct Case {
        const char* name;
        int32_t slot;
        int32_t defencesWon;
        bool raidGoesOn;
    };
    const Case cases[] = {
        {"the first raider falls", 0, 0, true},
        {"the last raider falls", 2, 1, false},
        {"a fallen raider is killed again", 2, 1, false},
    };
    for (const Case& c : cases) {
        Actor* raider = covenant.GetRecruitActor(c.slot);
        ASSERT_NE(raider, nullptr) << c.name;
        raider->TakeDamage(raider->maxHealth, nullptr, false, false);
        HandleKill(raider, nullptr);
        EXPECT_EQ(defending->statistics.Get(CharacterFunStat::RaidsDefensiveWon), c.defencesWon) << c.name;
        EXPECT_EQ(defending->statistics.Get(CharacterFunStat::RaidsDefensiveTotal), c.defencesWon) << c.name;
        EXPECT_EQ(covenant.targetCovenant == defender.index, c.raidGoesOn) << c.name;
    }
    EXPECT_EQ(Statistic(CharacterFunStat::RaidsDefensiveWon), 0) << "the raider's own player defended nothing";
    EXPECT_EQ(Statistic(CharacterFunStat::RaidsOffensiveTotal), 1) << "its raid, given up, is counted once";
    EXPECT_EQ(Statistic(CharacterFunStat::RaidsOffensiveWon), 0);
}
