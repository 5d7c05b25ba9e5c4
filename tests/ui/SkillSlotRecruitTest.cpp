// Recruit skill slots over a joined covenant game: the selected recruit's skill at the slot's place, its level from the recruit's values eleven places on, black for an entry of -1 and nothing for a place outside the lists or without a selection.
#include "client/PlayerClientWorld.h"
#include "client/PlayerCovenantClient.h"
#include "client/RecruitClient.h"
#include "covenants/PlayerCovenant.h"
#include "covenants/PlayerHouseRecords.h"
#include "entities/Actor.h"
#include "ui/ClientUiGameView.h"
#include "ui/UISystem.h"
#include "ui/UiWorld.h"
#include "rules/skills/SkillDefinition.h"
#include "ui/widgets/UISkillSlotRecruit.h"

namespace {

constexpr const char* kRecruitSlotRecords = R"(
ClassRecruitSlot
{
    Type Class
    BaseSpeed 140
    HealthPerVit 4
    StartVitality 10
}
ArchetypeRecruitSlot
{
    Type MonsterArchetype
    FactionName "Recruits"
}
ActorRecruitSlot
{
    Type Actor
    Class ClassRecruitSlot
    Npc 1
}
MonsterRecruitSlot
{
    Type MonsterType
    Archetype ArchetypeRecruitSlot
    Definition ActorRecruitSlot
    Name "Hireling"
    MinLevel 1
    MaxLevel 30
}
SkillRecruitLunge
{
    Type Skill
    BaseName "Lunge"
    Desc "A long thrust."
    TextureName "Textures/lunge.tga"
}
ObjectPedestal
{
    Type Object
}
)";

// The recruit's first three skill places and one far past its list.
const char kRecruitSlotMenu[] = "name Recruit\nposition 0 0\nsize 400 300\n"
                                "SkillSlotRecruit { internalName First skillIndex 0 position 0 0 size 32 32 }\n"
                                "SkillSlotRecruit { internalName Second skillIndex 1 position 40 0 size 32 32 }\n"
                                "SkillSlotRecruit { internalName Third skillIndex 2 position 80 0 size 32 32 }\n"
                                "SkillSlotRecruit { internalName Far skillIndex 40 position 120 0 size 32 32 }\n"
                                "Widget { internalName Skills entityType SelectedRecruit position 0 40 size 200 60\n"
                                "textSource RecruitSkills\n}\n"
                                "Widget { internalName Own entityType PlayerClient position 0 100 size 200 60\n"
                                "textSource RecruitSkills\n}\n";

class SkillSlotRecruit : public PlayerClientWorld {
protected:
    SkillSlotRecruit()
    {
        gTimerSystem = &clock;
        gInputSystem = &input;
    }
    ~SkillSlotRecruit() override
    {
        ui.reset();
        gUISystem = nullptr;
        gInputSystem = nullptr;
        gTimerSystem = nullptr;
    }

    void SetUp() override
    {
        StartWorld("UsingCovenants 1\nMaxRecruits 4\nStartPosition 0.5 0.5\n",
                   std::string(kPlayerHouseRecords) + kRecruitSlotRecords);
        MakePlayer();
        mirror = std::make_unique<PlayerCovenantClient>();
        player->SetCovenant(mirror.get());
        MessageBuffer block = SavedBlock();
        ASSERT_TRUE(mirror->ReadSaved(block, PlayerClient::kFileVersion));
        Join();
        auto* covenant = dynamic_cast<PlayerCovenant*>(game->GetCovenant(hostPlayer->covenantIndex));
        ASSERT_NE(covenant, nullptr);
        Actor* actor = covenant->GetRecruitActor(0, hostPlayer);
        ASSERT_NE(actor, nullptr);
        actor->SetPosition(WorldPos{hostPlayer->position.level, hostPlayer->position.x + 40.0f, hostPlayer->position.y, true});
        for (int i = 0; i < 2; ++i)
            ClientFrame(50);
        ASSERT_NE(mirror->GetRecruit(0), nullptr);
        npc = gameClient->GetEntity(mirror->GetRecruit(0)->entityNumber);
        ASSERT_NE(npc, nullptr);
        folder.Write("Assets/UI/recruit.mnu", kRecruitSlotMenu);
        ui = std::make_unique<UISystem>();
        gUISystem = ui.get();
        ui->SetGameView(&view);
        ui->RegisterCommands();
        ui->PushMenuByName("Recruit");
    }

    // The character file's covenant block with one recruit, in slot 0.
    MessageBuffer SavedBlock() const
    {
        MessageBuffer buffer;
        buffer.WriteInt(4);
        for (int32_t slot = 0; slot < 4; ++slot) {
            RecruitClient recruit;
            if (slot == 0) {
                recruit.definitionEntry = database.FindEntryByName("MonsterRecruitSlot")->GetId();
                recruit.stats.Set(CharacterStat::Level, 5);
            }
            recruit.Write(buffer);
        }
        buffer.WriteInt(40);
        buffer.WriteInt(90);
        buffer.WriteInt(55);
        buffer.WriteString("Ember Hall");
        buffer.WriteInt(2);
        buffer.WriteInt(5);
        IntArray(PlayerCovenantClient::kTrackedValues).Write(buffer);
        IntArray(CovenantStat::kCount).Write(buffer);
        return buffer;
    }

    // What the covenant part of the last update said of the recruit's skills and values.
    void SetRecruitSkills(std::vector<int32_t> ids, int32_t firstLevel, int32_t secondLevel)
    {
        RecruitClient& recruit = *mirror->GetRecruit(0);
        recruit.idList = std::move(ids);
        recruit.stats.Set(UISkillSlotRecruit::kLevelOffset, firstLevel);
        recruit.stats.Set(UISkillSlotRecruit::kLevelOffset + 1, secondLevel);
        ui->Update(0.0f);
    }

    UISkillSlotRecruit& Slot(const std::string& name) const
    {
        return dynamic_cast<UISkillSlotRecruit&>(*ui->FindWidgetByPath("Recruit::" + name));
    }

    std::string Tooltip(const std::string& name)
    {
        std::string text;
        std::string title;
        return Slot(name).GetHelpText(0, 0, text, title) ? text : std::string("<none>");
    }

    UiTestClock clock;
    UiTestInput input;
    ClientUiGameView view;
    std::unique_ptr<UISystem> ui;
    std::unique_ptr<PlayerCovenantClient> mirror;
    EntityClient* npc = nullptr;
};

} // namespace

TEST_F(SkillSlotRecruit, TheSelectedRecruitsSkillShowsWithItsLevelElevenValuesOn)
{
    int32_t lunge = database.FindEntryByName("SkillRecruitLunge")->GetId();
    SetRecruitSkills({lunge, -1}, 4, 9);
    EXPECT_EQ(Slot("First").definition, nullptr) << "nothing before the recruit is selected";
    EXPECT_EQ(Slot("First").textureName, "Textures/black.tga");
    EXPECT_EQ(Tooltip("First"), "<none>");

    player->SetTarget(npc, false);
    ui->Update(0.0f);
    ASSERT_NE(Slot("First").definition, nullptr);
    EXPECT_EQ(Slot("First").definition->baseName, "Lunge");
    EXPECT_EQ(Slot("First").level, 4) << "the value at the slot's place + 11";
    EXPECT_EQ(Slot("First").textureName, "Textures/lunge.tga");
    EXPECT_NE(Tooltip("First").find("A long thrust."), std::string::npos) << Tooltip("First");

    EXPECT_EQ(Slot("Second").definition, nullptr) << "an entry of -1";
    EXPECT_EQ(Slot("Second").level, -1);
    EXPECT_EQ(Slot("Second").textureName, "Textures/black.tga");
    for (const char* outside : {"Third", "Far"}) {
        EXPECT_EQ(Slot(outside).definition, nullptr) << outside;
        EXPECT_EQ(Tooltip(outside), "<none>") << outside;
    }
    SetRecruitSkills({lunge}, 0, 0);
    EXPECT_EQ(Slot("First").level, 0) << "a level of 0 is kept to be printed";
}

TEST_F(SkillSlotRecruit, TheRecruitsListNamesEachSkillThatHasARecordOneALine)
{
    int32_t lunge = database.FindEntryByName("SkillRecruitLunge")->GetId();
    int32_t pedestal = database.FindEntryByName("ObjectPedestal")->GetId();
    SetRecruitSkills({lunge, -1, pedestal, lunge}, 1, 1);
    auto shown = [this](const char* name) {
        const UIWidget& widget = *ui->FindWidgetByPath(std::string("Recruit::") + name);
        return widget.BuildText(widget.textSource);
    };
    EXPECT_EQ(shown("Skills"), "") << "no recruit dealt with";
    player->SetTarget(npc, false);
    ui->Update(0.0f);
    // An entry without a base name gives an empty line; an index with no entry gives none.
    EXPECT_EQ(shown("Skills"), "Lunge\n\nLunge\n");
    EXPECT_EQ(shown("Own"), "") << "only a widget of the selected recruit lists it";
}
