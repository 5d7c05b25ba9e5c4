// PlayerCovenantMirrorTest -- the player covenant mirror against the real world host: its block in the join settings, its part of every update (recruits named, kept and dropped), the lifestone news, the history's bound, and cut or hostile parts refused without a trace.
#include "client/CharacterSetUp.h"
#include "client/PlayerClientWorld.h"
#include "client/ItemClient.h"
#include "client/PlayerCovenantClient.h"
#include "client/RecruitClient.h"

#include "covenants/PlayerCovenant.h"
#include "rules/covenants/CovenantDefinition.h"
#include "entities/Actor.h"
#include "covenants/PlayerHouseRecords.h"
#include "covenants/Recruit.h"
#include "core/CommandSystem.h"
#include "entities/Actor.h"
#include "render/TextEvents.h"

#include <array>
#include <climits>
#include <memory>

namespace {

// A creature a recruit can be.
constexpr const char* kPlayerCovenantMirrorRecords = R"(
ClassMirrorRecruit
{
    Type Class
    BaseSpeed 140
    HealthPerVit 4
    StartVitality 10
}
ArchetypeMirrorRecruit
{
    Type MonsterArchetype
    FactionName "Recruits"
}
ActorMirrorRecruit
{
    Type Actor
    Class ClassMirrorRecruit
}
MonsterMirrorRecruit
{
    Type MonsterType
    Archetype ArchetypeMirrorRecruit
    Definition ActorMirrorRecruit
    Name "$$MonsterMirrorRecruit$$"
    MinLevel 1
    MaxLevel 30
}
ObjectPedestal
{
    Type Object
}
)";

} // namespace

class PlayerCovenantMirror : public PlayerClientWorld {
protected:
    static constexpr int32_t kSlots = 4;

    void SetUp() override
    {
        StartWorld("UsingCovenants 1\nMaxRecruits 4\nStartPosition 0.5 0.5\n",
                   std::string(kPlayerHouseRecords) + kPlayerCovenantMirrorRecords);
        ui.hintChain = {{"YourRecruits", ""}, {"LowRelation", ""}};
        MakePlayer();
        mirror = std::make_unique<PlayerCovenantClient>();
        mirror->name = "House Ember";
        player->SetCovenant(mirror.get());
    }

    int32_t Id(const char* record) const { return database.FindEntryByName(record)->GetId(); }

    // A recruit record as the character file keeps it; level 0 writes an empty slot.
    void WriteSavedRecruit(MessageBuffer& buffer, int32_t level) const
    {
        RecruitClient recruit;
        if (level > 0) {
            recruit.definitionEntry = Id("MonsterMirrorRecruit");
            recruit.stats.Set(CharacterStat::Level, level);
        }
        recruit.Write(buffer);
    }

    // The newest form of the character file's block, recruits of these levels in the slots.
    MessageBuffer SavedBlock(const std::array<int32_t, kSlots>& levels, int32_t health, int32_t maxHealth) const
    {
        MessageBuffer buffer;
        buffer.WriteInt(kSlots);
        for (int32_t level : levels)
            WriteSavedRecruit(buffer, level);
        buffer.WriteInt(health);
        buffer.WriteInt(maxHealth);
        buffer.WriteInt(55);
        buffer.WriteString("Ember Hall");
        buffer.WriteInt(2);
        buffer.WriteInt(5);
        IntArray totals(PlayerCovenantClient::kTrackedValues);
        totals.Set(1, 9);
        totals.Write(buffer);
        IntArray statistics(CovenantStat::kCount);
        for (int32_t stat = 0; stat < CovenantStat::kCount; ++stat)
            statistics.Set(stat, 100 + stat);
        statistics.Write(buffer);
        return buffer;
    }

    PlayerCovenant* HostCovenant() const
    {
        return hostPlayer ? dynamic_cast<PlayerCovenant*>(game->GetCovenant(hostPlayer->covenantIndex)) : nullptr;
    }

    void Frames(int32_t count)
    {
        for (int32_t i = 0; i < count; ++i)
            ClientFrame(50);
    }

    // The host covenant's part of the update, as it would go out now.
    MessageBuffer HostPart() const
    {
        MessageBuffer part;
        HostCovenant()->WriteUpdate(part);
        part.SetReadPos(0);
        return part;
    }

    // What a part can change, in one line.
    static std::string Describe(const PlayerCovenantClient& covenant)
    {
        std::string text = covenant.name + " " + std::to_string(covenant.index) + " h" +
                           std::to_string(covenant.GetHomeHealth()) + "/" + std::to_string(covenant.GetHomeMaxHealth()) +
                           " n" + std::to_string(covenant.GetRecruitCount()) + " r";
        for (int32_t slot = 0; slot < covenant.GetRecruitSlots(); ++slot)
            text += covenant.GetRecruit(slot) ? std::to_string(covenant.GetRecruit(slot)->entityNumber) + "," : "-,";
        text += " m" + std::to_string(covenant.statistics.Get(CovenantStat::Money)) + " t" +
                std::to_string(covenant.GetTrackedTotal(0)) + " hero" + std::to_string(covenant.GetHero().entityNumber);
        return text;
    }

    // A recruit's update block naming no entity.
    void WriteUpdateRecruit(MessageBuffer& buffer) const
    {
        buffer.WriteInt(Id("MonsterMirrorRecruit"));
        IntArray(RecruitBase::kStatCount).WriteValues(buffer);
        InventoryClient().Write(buffer, false);
        for (int32_t word : {-1, 0, 0, 0})
            buffer.WriteInt(word);
    }

    // A whole covenant part naming recruits in these slots.
    MessageBuffer PartNaming(const std::vector<int32_t>& slots) const
    {
        MessageBuffer buffer;
        buffer.WriteString("Hostile");
        buffer.WriteInt(0);
        buffer.WriteFloat(1.0f);
        buffer.WriteFloat(2.0f);
        buffer.WriteInt(3);
        InventoryClient().Write(buffer, false);
        buffer.WriteInt(static_cast<int32_t>(slots.size()));
        for (int32_t slot : slots) {
            buffer.WriteInt(slot);
            WriteUpdateRecruit(buffer);
        }
        for (int32_t i = 0; i < 4 + 3 + 4 + 1 + 2; ++i)
            buffer.WriteInt(1);
        buffer.WriteBool(false);
        buffer.SetReadPos(0);
        return buffer;
    }

    std::unique_ptr<PlayerCovenantClient> mirror;
};

TEST_F(PlayerCovenantMirror, ANewCovenantJoinsByNameAndMirrorsTheHostsPartOfEveryUpdate)
{
    Join();
    PlayerCovenant* host = HostCovenant();
    ASSERT_NE(host, nullptr);
    EXPECT_EQ(host->name, "House Ember");
    host->statistics.Set(CovenantStat::Money, 321);
    host->statistics.Set(CovenantStat::MaxNPCs, 6);
    Frames(2);

    EXPECT_EQ(mirror->name, "House Ember");
    EXPECT_EQ(mirror->index, host->index);
    EXPECT_EQ(mirror->homeLevel, host->homeLevel);
    EXPECT_FLOAT_EQ(mirror->homeX, host->homeX);
    EXPECT_FLOAT_EQ(mirror->homeY, host->homeY);
    EXPECT_EQ(mirror->GetHomeHealth(), host->GetHomeHealth());
    EXPECT_EQ(mirror->GetHomeMaxHealth(), host->GetHomeMaxHealth());
    EXPECT_EQ(mirror->statistics.Get(CovenantStat::Money), 321);
    EXPECT_EQ(mirror->statistics.Get(CovenantStat::MaxNPCs), 6);
    EXPECT_EQ(mirror->GetInventory().CountItems(InventoryGroupIndex::Stash),
              host->inventory->CountItems(InventoryGroupIndex::Stash));
    EXPECT_EQ(mirror->GetRecruitCount(), 0);
    EXPECT_EQ(mirror->GetHero().entityNumber, -1);
    // The player's own part still follows the covenant's.
    EXPECT_EQ(player->GetEntityNumber(), hostPlayer->entityNumber);
    // The game part's record of the same covenant agrees.
    ASSERT_NE(gameClient->GetCovenant(host->index, false), nullptr);
    EXPECT_EQ(gameClient->GetCovenant(host->index, false)->name, "House Ember");
    EXPECT_TRUE(ui.shownHints.empty());
}

TEST_F(PlayerCovenantMirror, SavedRecruitsGoBackInTheSettingsAndComeBackWithTheirEntities)
{
    MessageBuffer block = SavedBlock({3, 0, 0, 7}, 40, 90);
    ASSERT_TRUE(mirror->ReadSaved(block, PlayerClient::kFileVersion));
    EXPECT_TRUE(mirror->IsLoaded());
    EXPECT_EQ(mirror->name, "Ember Hall");
    Join();
    PlayerCovenant* host = HostCovenant();
    ASSERT_NE(host, nullptr);
    // The host's reader took the settings' block as the mirror wrote it.
    EXPECT_EQ(host->name, "Ember Hall");
    ASSERT_NE(host->GetRecruitRecord(0), nullptr);
    ASSERT_NE(host->GetRecruitRecord(3), nullptr);
    EXPECT_EQ(host->GetRecruitRecord(1), nullptr);
    EXPECT_EQ(host->GetRecruitRecord(3)->stats.Get(CharacterStat::Level), 7);
    EXPECT_EQ(host->statistics.Get(CovenantStat::InfluenceWorld), 100 + CovenantStat::InfluenceWorld);
    Frames(2);

    EXPECT_EQ(mirror->GetRecruitCount(), 2);
    for (int32_t slot : {0, 3}) {
        const RecruitClient* recruit = mirror->GetRecruit(slot);
        ASSERT_NE(recruit, nullptr) << slot;
        Actor* actor = host->GetRecruitActor(slot, hostPlayer);
        ASSERT_NE(actor, nullptr) << slot;
        EXPECT_EQ(recruit->entityNumber, actor->entityNumber);
        EXPECT_EQ(recruit->definitionEntry, Id("MonsterMirrorRecruit"));
        EXPECT_EQ(mirror->FindRecruitSlot(actor->entityNumber), slot);
    }
    EXPECT_EQ(mirror->GetRecruit(3)->stats.Get(CharacterStat::Level), 7);
    EXPECT_EQ(mirror->FindRecruitSlot(-1), -1);
    std::vector<ListEntry> rows;
    mirror->ListRecruits(rows);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1].value, "3");
    // The topic is offered once, when the count first changes.
    EXPECT_EQ(ui.shownHints, (std::vector<std::string>{"YourRecruits"}));

    // The recruit leaves on the host: the next update drops it and keeps the other as it was.
    const RecruitClient* kept = mirror->GetRecruit(3);
    host->RemoveRecruit(0);
    Frames(2);
    EXPECT_EQ(mirror->GetRecruit(0), nullptr);
    EXPECT_EQ(mirror->GetRecruit(3), kept);
    EXPECT_EQ(mirror->GetRecruitCount(), 1);
}

TEST_F(PlayerCovenantMirror, TheSavedBlockRoundTripsAndRefusesEveryCutAndHostileSlotCount)
{
    MessageBuffer block = SavedBlock({0, 4, 0, 8}, 20, 80);
    ASSERT_TRUE(mirror->ReadSaved(block, PlayerClient::kFileVersion));
    MessageBuffer written;
    mirror->WriteSaved(written);
    PlayerCovenantClient copy;
    written.SetReadPos(0);
    ASSERT_TRUE(copy.ReadSaved(written, PlayerClient::kFileVersion));
    EXPECT_EQ(Describe(copy), Describe(*mirror));
    EXPECT_EQ(copy.GetRecruit(1)->stats.Get(CharacterStat::Level), 4);
    EXPECT_EQ(copy.GetRecruit(0), nullptr);
    EXPECT_EQ(copy.GetStoredIndex(1), 5);
    EXPECT_EQ(copy.GetTrackedTotal(1), 9);
    EXPECT_EQ(copy.statistics.Get(CovenantStat::People), 100 + CovenantStat::People);

    PlayerCovenantClient fresh;
    std::string before = Describe(fresh);
    for (size_t cut = 0; cut < written.Size(); ++cut) {
        MessageBuffer part;
        part.WriteBytes(written.Data(), cut);
        part.SetReadPos(0);
        EXPECT_FALSE(fresh.ReadSaved(part, PlayerClient::kFileVersion)) << cut;
    }
    for (int32_t slots : {-1, kSlots + 1, INT_MAX}) {
        MessageBuffer hostile;
        hostile.WriteInt(slots);
        hostile.WriteBytes(written.Data() + 4, written.Size() - 4);
        hostile.SetReadPos(0);
        EXPECT_FALSE(fresh.ReadSaved(hostile, PlayerClient::kFileVersion)) << slots;
    }
    EXPECT_EQ(Describe(fresh), before);
    EXPECT_FALSE(fresh.IsLoaded());
}

TEST_F(PlayerCovenantMirror, APartCutAnywhereOrNamingABadSlotChangesNothing)
{
    MessageBuffer block = SavedBlock({3, 0, 5, 0}, 40, 90);
    ASSERT_TRUE(mirror->ReadSaved(block, PlayerClient::kFileVersion));
    Join();
    Frames(2);
    MessageBuffer part = HostPart();
    std::string before = Describe(*mirror);
    for (size_t cut = 0; cut < part.Size(); ++cut) {
        MessageBuffer shorter;
        shorter.WriteBytes(part.Data(), cut);
        shorter.SetReadPos(0);
        EXPECT_FALSE(mirror->ReadUpdate(shorter)) << cut;
    }
    for (const std::vector<int32_t>& slots :
         std::vector<std::vector<int32_t>>{{-1}, {kSlots}, {1, 1}, {0, 1, 2, 3, 0}}) {
        MessageBuffer hostile = PartNaming(slots);
        EXPECT_FALSE(mirror->ReadUpdate(hostile)) << slots.size();
    }
    EXPECT_EQ(Describe(*mirror), before);
    MessageBuffer sound = PartNaming({1, 2});
    ASSERT_TRUE(mirror->ReadUpdate(sound));
    EXPECT_EQ(mirror->name, "Hostile");
    EXPECT_EQ(mirror->GetRecruit(0), nullptr);
    EXPECT_NE(mirror->GetRecruit(1), nullptr);
}

TEST_F(PlayerCovenantMirror, TrackedValuesAddTheirChangesToRunningTotals)
{
    MessageBuffer first = PartNaming({});
    ASSERT_TRUE(mirror->ReadUpdate(first));
    EXPECT_EQ(mirror->GetTrackedValue(0), 1);
    EXPECT_EQ(mirror->GetTrackedTotal(0), 1);
    MessageBuffer again = PartNaming({});
    ASSERT_TRUE(mirror->ReadUpdate(again));
    EXPECT_EQ(mirror->GetTrackedTotal(0), 1);
    EXPECT_TRUE(mirror->GetAlertFlag(2));
    EXPECT_EQ(mirror->targetCovenant, 1);
}

TEST_F(PlayerCovenantMirror, TheLifestoneIsAnnouncedOncePerThresholdCrossedWorstFirst)
{
    auto events = std::make_unique<TextEvents>();
    gTextEvents = events.get();
    auto announced = [&](int32_t health, int32_t maxHealth) {
        events = std::make_unique<TextEvents>();
        gTextEvents = events.get();
        mirror->SetHomeMaxHealth(maxHealth);
        mirror->SetHomeHealth(health);
        mirror->Update(0.1f);
        const TextEvents::Record* record = events->FindTextEvent(5);
        return record ? record->text : std::string();
    };
    EXPECT_EQ(announced(100, 100), "");
    EXPECT_EQ(announced(20, 100), "$$LifestoneInDanger$$");
    EXPECT_EQ(announced(5, 100), "$$LifestoneAlmostDestroyed$$");
    EXPECT_EQ(announced(5, 100), "");
    // No maximum counts as whole: nothing to tell, and a later fall is told again.
    EXPECT_EQ(announced(0, 0), "");
    EXPECT_EQ(announced(70, 100), "$$LifestoneIsDamaged$$");
    EXPECT_EQ(announced(40, 100), "$$LifestoneIsThreatened$$");
    gTextEvents = nullptr;
}

TEST_F(PlayerCovenantMirror, HistoryKeepsOneSamplePerMinuteAndAtMostTwoWeeksOfThem)
{
    Join();
    Frames(1);
    gameClient->clock = TimeStamp{0, 1, 30, 0.0f};
    mirror->SampleHistory();
    ASSERT_EQ(mirror->GetHistory().size(), 91u);
    int32_t covenants = gameClient->GetCovenantCount();
    ASSERT_GT(covenants, 0);
    EXPECT_EQ(mirror->GetHistory().back().size(), static_cast<size_t>(covenants) * PlayerCovenantClient::kSampledStats);
    EXPECT_TRUE(mirror->GetHistory().front().empty());
    // A clock far ahead keeps only the last two weeks.
    gameClient->clock = TimeStamp{1000000, 0, 0, 0.0f};
    mirror->SampleHistory();
    EXPECT_EQ(mirror->GetHistory().size(), static_cast<size_t>(PlayerCovenantClient::kMaxHistorySamples));
    EXPECT_EQ(mirror->GetFirstSampleMinute() + PlayerCovenantClient::kMaxHistorySamples - 1, 1000000 * 24 * 60);
    // A new world starts the history afresh.
    player->OnNewWorld();
    EXPECT_TRUE(mirror->GetHistory().empty());
}

TEST_F(PlayerCovenantMirror, ASavedCharacterResumesWithItsRecruitsAndListsItsCovenant)
{
    MessageBuffer block = SavedBlock({0, 6, 0, 0}, 40, 90);
    ASSERT_TRUE(mirror->ReadSaved(block, PlayerClient::kFileVersion));
    Join();
    Frames(2);
    ASSERT_NE(mirror->GetRecruit(1), nullptr);
    ASSERT_TRUE(player->SaveCharacter());

    CharacterSetUp::Register(commands);
    std::vector<ListEntry> rows;
    commands.CallInfoProc("getAvailableCharacters", rows);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].name.find("Ada (Ember Hall)\n  level "), 0u) << rows[0].name;

    // The player leaves; a fresh client resumes the file with a fresh mirror and joins again.
    LeaveAndRestartClient();
    auto resumed = std::make_unique<PlayerCovenantClient>();
    ASSERT_TRUE(player->LoadCharacter("Ada", resumed.get()));
    ASSERT_NE(resumed->GetRecruit(1), nullptr);
    EXPECT_EQ(resumed->GetRecruit(1)->stats.Get(CharacterStat::Level), 6);
    player->SetCovenant(resumed.get());
    mirror = std::move(resumed);
    Join();
    PlayerCovenant* host = HostCovenant();
    ASSERT_NE(host, nullptr);
    EXPECT_EQ(host->name, "Ember Hall");
    ASSERT_NE(host->GetRecruitRecord(1), nullptr);
    EXPECT_EQ(host->GetRecruitRecord(1)->stats.Get(CharacterStat::Level), 6);
}

TEST_F(PlayerCovenantMirror, APlayerGivenNoMirrorMakesItsOwnWithTheGlobalInventoryAndJoins)
{
    InventoryClient stock;
    stock.ResizeBag(InventoryGroupIndex::Stash, 8);
    std::unique_ptr<ItemBase> bag = std::make_unique<ItemClient>();
    bag->SetEntryByName("Bag1");
    ASSERT_TRUE(stock.PlaceItem(bag, InventoryGroupIndex::Stash, 3, 0));
    MessageBuffer file;
    file.WriteInt(PlayerClient::kFileVersion);
    stock.Write(file, true);
    std::string bytes(reinterpret_cast<const char*>(file.Data()), file.Size());

    // A cut file is refused and changes nothing; the whole one is taken.
    PlayerCovenantClient probe;
    folder.Write("User/chars/global.sav", bytes.substr(0, bytes.size() - 3));
    EXPECT_FALSE(probe.LoadGlobalInventory());
    EXPECT_FALSE(probe.HasInventory());
    EXPECT_EQ(probe.GetInventory().GetItem(InventoryGroupIndex::Stash, 3), nullptr);
    folder.Write("User/chars/global.sav", bytes);

    MakePlayer();
    vars.SetStringByName("CovenantName", "House Ash");
    Join();
    PlayerCovenant* host = HostCovenant();
    ASSERT_NE(host, nullptr);
    EXPECT_EQ(host->name, "House Ash");
    ASSERT_NE(host->GetInventoryItem(InventoryGroupIndex::Stash, 3), nullptr);
    Frames(2);
    PlayerCovenantClient* own = player->GetCovenant();
    ASSERT_NE(own, nullptr);
    EXPECT_TRUE(own->HasInventory());
    EXPECT_EQ(own->index, host->index);
    EXPECT_EQ(own->name, "House Ash");
}

TEST_F(PlayerCovenantMirror, TheHostsLifestoneFallingIsToldOnTheClientScreen)
{
    auto events = std::make_unique<TextEvents>();
    gTextEvents = events.get();
    Join();
    PlayerCovenant* host = HostCovenant();
    ASSERT_NE(host, nullptr);
    // The test's covenant record gives the lifestone no health of its own: its members' will do.
    const_cast<CovenantDefinition*>(host->GetDefinition())->lifestoneHealthMult = 1.0f;
    Frames(3);
    int32_t maxHealth = host->GetHomeMaxHealth();
    ASSERT_GE(maxHealth, 20);
    auto* lifestone = const_cast<Entity*>(host->GetHomeEntity());
    ASSERT_NE(lifestone, nullptr);
    lifestone->health = maxHealth;
    Frames(3);
    EXPECT_EQ(mirror->GetHomeMaxHealth(), maxHealth);
    EXPECT_EQ(mirror->GetHomeHealth(), maxHealth);
    events = std::make_unique<TextEvents>();
    gTextEvents = events.get();

    lifestone->health = maxHealth / 5;
    Frames(3);
    EXPECT_EQ(mirror->GetHomeHealth(), host->GetHomeHealth());
    const TextEvents::Record* news = events->FindTextEvent(5);
    ASSERT_NE(news, nullptr);
    EXPECT_EQ(news->text, "$$LifestoneInDanger$$");
    gTextEvents = nullptr;
}
