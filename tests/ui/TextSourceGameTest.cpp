// TextSourceGameTest -- the game pieces of the text sources over a fake game: the power a class spends and its sources, the bags' fill with its red mark at nine in ten, the game clock, the world's name and the won and lost texts, each empty without what it reads.
#include "ui/UiWorld.h"

#include "core/ColorSystem.h"
#include "core/EnumTable.h"
#include "core/LocSystem.h"
#include "rules/CharacterClass.h"
#include "rules/Formulas.h"

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
    bool GetAdventureTimeTests(bool& great, bool& good) const override
    {
        great = greatTime;
        good = goodTime;
        return running;
    }
    bool GetIdentifyAllCost(int32_t& cost) const override
    {
        cost = identifyCost;
        return player;
    }
    bool GetRumorCost(int32_t covenant, int32_t kind, int32_t& cost) const override
    {
        cost = (covenant + 1) * 100 + kind;
        return covenant >= 0 && kind >= 0 && kind < 3;
    }
    int32_t GetTradePartner() const override { return partner; }
    bool GetCovenantStat(int32_t covenant, int32_t index, int32_t& out) const override
    {
        out = purse;
        return covenant == playerCovenant && index == 10;
    }

    int32_t classEntity = -1;
    const CharacterClass* entityClass = nullptr;
    TimeStamp clockTime;
    std::map<int32_t, std::pair<int32_t, int32_t>> bags;
    std::string worldName;
    int32_t secrets = 0;
    std::string epilogue;
    std::string wonText;
    std::string lostText;
    bool greatTime = false;
    bool goodTime = false;
    int32_t identifyCost = 0;
    int32_t partner = -1;
    int32_t purse = 0;
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
        return ui->FindWidgetByPath("S::Power")->BuildText({{EnumTable::LookupIn("UITextSource", source, true), param, ""}});
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

TEST_F(TextSourceGame, TheClockIsColouredByTheTimesStillToBeMade)
{
    game.clockTime = TimeStamp{0, 1, 2, 0.0f};
    game.greatTime = true;
    game.goodTime = true;
    EXPECT_EQ(Build("ColoredGameTime"), "") << "no game, no clock";
    game.running = true;
    std::string clock = Build("GameTime");
    EXPECT_EQ(Build("ColoredGameTime"), ColorSystem::MakeColorCode(2) + clock);
    game.greatTime = false;
    EXPECT_EQ(Build("ColoredGameTime"), ColorSystem::MakeColorCode(5) + clock) << "only the good time left";
    game.goodTime = false;
    EXPECT_EQ(Build("ColoredGameTime"), ColorSystem::MakeColorCode(6) + clock) << "both times gone";
}

TEST_F(TextSourceGame, IdentifyingEverythingNamesItsPriceAndRumoursTheirsInRedWhenTooDear)
{
    game.identifyCost = 250;
    EXPECT_EQ(Build("IdentifyAll"), "") << "no player";
    game.player = true;
    EXPECT_EQ(Build("IdentifyAll"), "$$IdentifyAllYourItemsFor$$ " + FormatMoney(250));

    game.playerCovenant = 3;
    EXPECT_EQ(Build("RumorText", 0), "") << "no trade partner";
    game.partner = 1;
    game.purse = 201;
    // The partner's price of kind n is 200 + n here.
    EXPECT_EQ(Build("RumorText", 0), "$$RumorText1$$" + MakeLocToken("RumorCost", "%s%d", "", 200));
    EXPECT_EQ(Build("RumorText", 1), "$$RumorText2$$" + MakeLocToken("RumorCost", "%s%d", "", 201))
        << "a purse of exactly the price pays it";
    std::string red = ColorSystem::MakeColorCode(1);
    EXPECT_EQ(Build("RumorText", 2), "$$RumorText3$$" + MakeLocToken("RumorCost", "%s%d", red.c_str(), 202));
    EXPECT_EQ(Build("RumorText", 3), "") << "three kinds only";
    EXPECT_EQ(Build("RumorText", -1), "") << "no kind named";
    game.playerCovenant = -1;
    EXPECT_EQ(Build("RumorText", 0), "") << "no covenant to pay";
}
