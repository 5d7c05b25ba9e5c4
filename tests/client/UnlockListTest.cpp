// UnlockListTest -- the random class a new character asks for: only player classes, locked ones only when the profile has them, none when every class is locked, and the drawn class is the one the joining settings carry.
#include "client/PlayerClientWorld.h"

#include "client/ClassChoice.h"
#include "entities/CharacterSettings.h"

#include <set>

namespace {

constexpr const char* kUnlockListClasses = R"(
ClassKnight
{
    Type Class
    PlayerClass 1
    BaseSpeed 150
}
ClassMage
{
    Type Class
    PlayerClass 1
    Unlocks 1
    BaseSpeed 150
}
ClassAnyone
{
    Type Class
    RandomClass 1
    PlayerName "Wanderer"
    BaseSpeed 150
}
)";

class UnlockListRandomClass : public PlayerClientWorld {
protected:
    void SetUp() override
    {
        StartWorldOnly("", kUnlockListClasses);
        MakePlayer();
        player->NewGame();
    }

    std::set<std::string> Draws(const ClassChoice::UnlockedTest& unlocked, int count)
    {
        std::set<std::string> names;
        for (int i = 0; i < count; ++i) {
            const DatabaseEntry* drawn = ClassChoice::PickRandomOfficialClass(database, unlocked);
            names.insert(drawn ? std::string(drawn->GetName()) : "<none>");
        }
        return names;
    }
};

TEST_F(UnlockListRandomClass, OnlyPlayerClassesAreDrawnAndLockedOnesOnlyWhenUnlocked)
{
    EXPECT_EQ(Draws({}, 20), std::set<std::string>{"ClassKnight"});
    auto mageUnlocked = [](const std::string& name) { return name == "ClassMage"; };
    EXPECT_EQ(Draws(mageUnlocked, 40), (std::set<std::string>{"ClassKnight", "ClassMage"}));
}

TEST_F(UnlockListRandomClass, WithEveryPlayerClassLockedThereIsNone)
{
    LoadRecords(std::string(kAdventure) + "ClassMage\n{\n    Type Class\n    PlayerClass 1\n    Unlocks 1\n}\n");
    EXPECT_EQ(Draws({}, 5), std::set<std::string>{"<none>"});
    EXPECT_EQ(Draws([](const std::string&) { return false; }, 5), std::set<std::string>{"<none>"});
}

TEST_F(UnlockListRandomClass, TheJoiningSettingsCarryTheDrawnClassAndTheEntrysName)
{
    vars.SetStringByName("PlayerClass", "ClassAnyone");
    MessageBuffer written;
    player->WriteSettings(written, 0, 0);
    written.SetReadPos(0);
    CharacterSettings settings;
    ASSERT_TRUE(settings.Read(written, false, game->GetGateRecords()));
    EXPECT_EQ(settings.classIndex, gameData.FindCharacterClassIndex("ClassKnight"));
    EXPECT_EQ(settings.name, "Wanderer");
    // A profile with the mage unlocked lets the draw give it too.
    gameClient->profileUnlockedHook = [](const std::string& name) { return name == "ClassMage"; };
    std::set<int32_t> classes;
    for (int i = 0; i < 40; ++i) {
        written.Clear();
        player->WriteSettings(written, 0, 0);
        written.SetReadPos(0);
        ASSERT_TRUE(settings.Read(written, false, game->GetGateRecords()));
        classes.insert(settings.classIndex);
    }
    EXPECT_EQ(classes, (std::set<int32_t>{gameData.FindCharacterClassIndex("ClassKnight"),
                                          gameData.FindCharacterClassIndex("ClassMage")}));
}

} // namespace
