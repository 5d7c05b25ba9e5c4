// TextSourceGameTest -- the game pieces of the text sources over a fake game: the power a class spends and its sources, the bags' fill with its red mark at nine in ten, the game clock, the world's name and the won and lost texts, each empty without what it reads.
#include "ui/UiWorld.h"

#include "core/ColorSystem.h"
#include "core/EnumTable.h"
#include "core/LocSystem.h"
#include "rules/CharacterClass.h"

#include <map>
#include <utility>

namespace {

class GameSourceView : public FakeGameView {
public:
    const CharacterClass* GetEntityClass(int32_t number) const override
    {
        return number == classEntity ? entityClass : nullptr;
    }
    bool GetGameClock(TimeStamp& out) const override
    {
        out = clockTime;
        return running;
    }
    bool GetBagFill(int32_t bag, int32_t& items, int32_t& slots) const override
    {
        auto found = bags.find(bag);
        if (found == bags.end())
            return false;
        items = found->second.first;
        slots = found->second.second;
        return true;
    }
    std::string GetWorldName() const override { return worldName; }
    int32_t GetWorldSecretCount() const override { return secrets; }
    std::string GetWorldEpilogue() const override { return epilogue; }
    std::string GetWonGameText() const override { return wonText; }
    std::string GetLostGameText() const override { return lostText; }

    int32_t classEntity = -1;
    const CharacterClass* entityClass = nullptr;
    TimeStamp clockTime;
    std::map<int32_t, std::pair<int32_t, int32_t>> bags;
    std::string worldName;
    int32_t secrets = 0;
    std::string epilogue;
    std::string wonText;
    std::string lostText;
};

class TextSourceGame : public UiWorld {
protected:
    void SetUp() override
    {
        ui->SetGameView(&game);
        WriteMenu("s.mnu", "name S\nvisible 1\nsize 640 480\n"
                           "Widget { internalName Power entityType Selected\ntextSource PowerName\n}\n"
                           "Widget { internalName Sources entityType Selected\ntextSource PowerSources\n}\n");
        ui->RegisterCommands();
        power.powerName = "$$Resolve$$";
        power.powerGainOn[PowerGain::Hit] = 2.0f;
        power.powerGainOn[PowerGain::Kill] = 5.5f;
    }
    std::string Build(const char* source, int32_t param = -1) const
    {
        return ui->FindWidgetByPath("S::Power")->BuildSourceText(EnumTable::LookupIn("UITextSource", source, true), param, "");
    }
    std::string Shown(const char* widget) const
    {
        const UIWidget& shown = *ui->FindWidgetByPath(std::string("S::") + widget);
        return shown.BuildText(shown.textSource);
    }

    GameSourceView game;
    CharacterClass power;
};

} // namespace

TEST_F(TextSourceGame, TheEntitysClassNamesItsPowerAndWhereItComesFrom)
{
    EXPECT_EQ(Shown("Power"), "") << "no entity, no class";
    game.player = true;
    game.selectedEntity = 7;
    game.entities[7] = UiEntityFacts{};
    game.classEntity = 7;
    game.entityClass = &power;
    EXPECT_EQ(Shown("Power"), "$$Resolve$$");
    // Only the gains above 0, in the class's order, nothing between them.
    EXPECT_EQ(Shown("Sources"), MakeLocToken("PowerSourceOnHit", "%s %.1f", "$$Resolve$$", 2.0) +
                                    MakeLocToken("PowerSourceOnKill", "%s %.1f", "$$Resolve$$", 5.5));
    power.powerGainOn = {};
    EXPECT_EQ(Shown("Sources"), "");
}

TEST_F(TextSourceGame, BagsNineTenthsFullAreRedAndNoBagsAreNothingOfNothing)
{
    game.bags[2] = {18, 20};
    game.bags[5] = {27, 30};
    game.bags[1] = {40, 40};
    EXPECT_EQ(Build("BagCapacity"), "") << "no player";
    game.player = true;
    EXPECT_EQ(Build("BagCapacity"), ColorSystem::MakeColorCode(1) + "45/50") << "exactly nine in ten";
    game.bags[5] = {26, 30};
    EXPECT_EQ(Build("BagCapacity"), "44/50");
    game.bags.clear();
    EXPECT_EQ(Build("BagCapacity"), "0/0");
}

TEST_F(TextSourceGame, TheClockTheWorldAndTheEndingsComeFromTheGame)
{
    game.clockTime = TimeStamp{0, 0, 2, 0.0f};
    EXPECT_EQ(Build("GameTime"), "") << "no game, no clock";
    game.running = true;
    EXPECT_EQ(Build("GameTime"), "2 $$Minutes$$");
    game.worldName = "$$AdventureWorld$$";
    game.wonText = "$$WonGameText$$";
    game.lostText = "$$LostGameText$$";
    EXPECT_EQ(Build("WorldName"), "$$AdventureWorld$$");
    EXPECT_EQ(Build("WonGameText"), "$$WonGameText$$");
    EXPECT_EQ(Build("LostGameText"), "$$LostGameText$$");
    game.secrets = 4;
    game.epilogue = "$$EpilogWorld$$";
    EXPECT_EQ(Build("AdventureNumSecrets"), "4") << "no adventure named: the world's secrets";
    game.running = false;
    EXPECT_EQ(Build("AdventureNumSecrets"), "") << "and no world without a game";
    EXPECT_EQ(Build("AdventureEpilog"), "$$EpilogWorld$$");
    EXPECT_EQ(Build("DeathsScoreBonus"), "") << "no game data, no bonus to tell";
}
