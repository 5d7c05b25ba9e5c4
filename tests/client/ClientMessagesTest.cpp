// ClientMessagesTest -- the world host's "msg" lines as text events (position, time, id, flags) and sounds by type, the diplomacy answer of "dipRes", and the won and the lost game.
#include "client/ClientServicesWorld.h"

#include "rules/covenants/DiplomacyText.h"
#include "rules/covenants/OfferAnswers.h"

#include <fstream>
#include <iterator>

namespace {

class ClientMessagesShown : public ClientServicesWorld {
protected:
    void SetUp() override
    {
        for (const char* name : {"alert", "invalid", "won", "lost"})
            WriteSound(std::string("Sounds/UI/") + name + ".wav");
    }

    void Join(const std::string& moreTuning = "")
    {
        JoinWithTuning("SoundNameMessageAlert \"Sounds/UI/alert.wav\"\n"
                       "SoundNameInvalidAction \"Sounds/UI/invalid.wav\"\n"
                       "SoundNameWonGame \"Sounds/UI/won.wav\"\n"
                       "SoundNameLostGame \"Sounds/UI/lost.wav\"\n"
                       "WonGameText \"$$YouWon$$\"\nLostGameText \"$$YouLost$$\"\n" +
                       moreTuning);
        ClientFrame(0);
    }

    // The world host's line, delivered in its next update and run by the client.
    void HostLine(const std::string& line)
    {
        game->QueueClientCommand(line);
        ClientFrame(0);
        ClientFrame(0);
    }

    struct Shown {
        std::string text;
        float x = 0.0f;
        float seconds = 0.0f;
        int32_t id = 0;
        bool centred = false;
        bool allowMultiple = false;
        bool operator==(const Shown&) const = default;
    };

    std::vector<Shown> Events() const
    {
        std::vector<Shown> shown;
        for (const TextEvents::Record& record : textEvents.GetRecords())
            shown.push_back({record.text, record.x, record.expiry.GetTotalSeconds(), record.kind, record.centred,
                             record.allowMultiple});
        return shown;
    }
};

// The test interface puts refusals at x 10, notices at 20 and the log at 30.
TEST_F(ClientMessagesShown, EachMessageTypeHasItsPlaceTimeIdAndSound)
{
    Join();
    struct Case {
        int32_t type;
        std::vector<Shown> events;
        std::vector<std::string> sounds;
    };
    const std::vector<Case> cases = {
        {2, {{"hi", 10, 1, 8, true, false}, {"hi", 30, 30, 4, false, true}}, {}},
        {4, {{"hi", 10, 3, 8, true, false}}, {"Sounds/UI/invalid.wav"}},
        {5, {{"hi", 10, 3, 8, true, false}}, {}},
        {6, {{"hi", 20, 1, 7, true, false}, {"hi", 30, 30, 4, false, true}}, {}},
        {0, {{"hi", 30, 30, 4, false, true}}, {"Sounds/UI/alert.wav"}},
        {3, {{"hi", 30, 30, 4, false, true}}, {"Sounds/UI/alert.wav"}},
    };
    for (const Case& c : cases) {
        textEvents = TextEvents();
        sound->ReleaseChannels();
        HostLine("msg " + std::to_string(c.type) + " \"hi\"");
        EXPECT_EQ(Events(), c.events) << c.type;
        EXPECT_EQ(PlayingSounds(), c.sounds) << c.type;
    }
}

// Rival news by the dozen over the connection: the player's own three lines stay in the view
// beside the newest news, and every line of both stays in the log.
TEST_F(ClientMessagesShown, RivalNewsLeavesThePlayersOwnLinesInTheView)
{
    Join();
    for (int i = 0; i < 3; ++i)
        HostLine("msg 2 \"own" + std::to_string(i) + "\"");
    for (int i = 0; i < 12; ++i)
        HostLine("msg 3 \"news" + std::to_string(i) + "\"");
    std::vector<std::string> shown;
    for (const TextEvents::Record* record : textEvents.GetShownLogRecords())
        shown.push_back(record->text);
    const std::vector<std::string> expected = {"own0",  "own1",  "own2",  "news5", "news6",
                                               "news7", "news8", "news9", "news10", "news11"};
    EXPECT_EQ(shown, expected);
    EXPECT_EQ(textEvents.GetLogTotal(), 15);
}

TEST_F(ClientMessagesShown, ASilentMessageAndARepeatedRefusalReplaceWithoutSound)
{
    Join();
    gameClient->GetMessages().AddMessage(0, "quiet", true);
    EXPECT_TRUE(PlayingSounds().empty());
    gameClient->GetMessages().ShowMessage("$$NotEnoughMoney$$", true);
    gameClient->GetMessages().ShowMessage("$$TooFar$$", true);
    // One refusal slot: the newer text replaces the older.
    ASSERT_EQ(Events().size(), 2u);
    EXPECT_EQ(Events()[1].text, "$$TooFar$$");
    EXPECT_TRUE(PlayingSounds().empty());
}

TEST_F(ClientMessagesShown, TheDiplomacyAnswerKeepsItsLastTextForAResponseOrCovenantItLacks)
{
    Join();
    CovenantClient* other = gameClient->GetCovenant(0, true);
    CovenantClient* own = gameClient->GetCovenant(1, true);
    link->playerCovenant = own;
    other->SetRelation(1, 90.0f);
    HostLine("dipRes 3 0");
    std::string expected = DiplomacyText::MoodDescription(90.0f) + " $$DiplomacyResponse3$$";
    EXPECT_EQ(gameClient->GetMessages().GetDiplomacyResponse(), expected);
    for (const char* line : {"dipRes 13 0", "dipRes -1 0", "dipRes 1 7", "dipRes 1 -3"}) {
        HostLine(line);
        EXPECT_EQ(gameClient->GetMessages().GetDiplomacyResponse(), expected) << line;
    }
}

// A rival's answer to a proposed trade, demand or gift, or to a call for fair terms, reaches
// the trade window in words the shipped language has.
TEST_F(ClientMessagesShown, EveryAnswerACovenantGivesAnOfferShowsInTheShippedWords)
{
    Join();
    CovenantClient* other = gameClient->GetCovenant(0, true);
    link->playerCovenant = gameClient->GetCovenant(1, true);
    other->SetRelation(1, 10.0f);
    const char* gameDir = std::getenv("EMBERLODE_GAME_DIR");
    ASSERT_NE(gameDir, nullptr);
    std::ifstream file(std::string(gameDir) + "/Assets/Loc/English.loc");
    std::string english((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    ASSERT_FALSE(english.empty());
    for (int32_t answer : {0, 1, 2, 3, 4, 8, 9, 10, 11, 17, 18, 19, 20}) {
        HostLine("dipRes 1 0");
        HostLine("dipRes " + std::to_string(answer) + " 0");
        std::string key = "DiplomacyResponse" + std::to_string(answer);
        EXPECT_EQ(gameClient->GetMessages().GetDiplomacyResponse(),
                  DiplomacyText::MoodDescription(10.0f) + " $$" + key + "$$");
        EXPECT_NE(english.find("\n" + key + " \""), std::string::npos) << key;
    }
}

// The world host tells the player's own answer to a rival's offer back to it, and an offer of
// its own that the other player never heard: the trade window then says what became of the
// offer, in the shipped words, never a refusal of the player's own.
TEST_F(ClientMessagesShown, ThePlayersAnswerToARivalsOfferShowsWhatBecameOfIt)
{
    Join();
    CovenantClient* other = gameClient->GetCovenant(0, true);
    link->playerCovenant = gameClient->GetCovenant(1, true);
    other->SetRelation(1, 60.0f);
    const char* gameDir = std::getenv("EMBERLODE_GAME_DIR");
    ASSERT_NE(gameDir, nullptr);
    std::ifstream file(std::string(gameDir) + "/Assets/Loc/English.loc");
    std::string english((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    struct Case {
        int32_t answer;
        const char* words;
    };
    for (Case c : {Case{kAnswerTheirOfferAccepted, "the deal is made"}, Case{kAnswerTheirOfferRefused, "You turn"},
                   Case{kAnswerOfferNotHeard, "did not reach"}}) {
        HostLine("dipRes 1 0");
        HostLine("dipRes " + std::to_string(c.answer) + " 0");
        std::string key = "DiplomacyResponse" + std::to_string(c.answer);
        EXPECT_EQ(gameClient->GetMessages().GetDiplomacyResponse(),
                  DiplomacyText::MoodDescription(60.0f) + " $$" + key + "$$");
        size_t line = english.find("\n" + key + " \"");
        ASSERT_NE(line, std::string::npos) << key;
        std::string words = english.substr(line, english.find('\n', line + 1) - line);
        EXPECT_NE(words.find(c.words), std::string::npos) << words;
        EXPECT_EQ(words.find("refuse"), std::string::npos) << words;
    }
}

TEST_F(ClientMessagesShown, AWinWithoutForceWinSoundsAndStoresButTheGameGoesOn)
{
    Join();
    ASSERT_TRUE(gameClient->IsStarted());
    gameClient->victoryPending = true;
    gameClient->victoryHeld = true;
    gameClient->Update(0.0f);
    EXPECT_FALSE(gameClient->gameOverShown);
    gameClient->victoryHeld = false;
    gameClient->Update(0.0f);
    EXPECT_TRUE(gameClient->gameOverShown);
    EXPECT_EQ(link->hints.back(), "WonGame");
    EXPECT_EQ(PlayingSounds(), std::vector<std::string>{"Sounds/UI/won.wav"});
    EXPECT_EQ(gameClient->GetMessages().GetWonText(), "$$YouWon$$");
    EXPECT_EQ(ui.lines.back(), "showMenu Hud");
    EXPECT_TRUE(app->IsActive());
    // Once a game.
    gameClient->Update(0.0f);
    EXPECT_EQ(PlayingSounds().size(), 1u);
}

TEST_F(ClientMessagesShown, AWinWithForceWinClosesTheMenusAndShowsTheWinScreen)
{
    Join("ForceWin 1");
    gameClient->victoryPending = true;
    gameClient->Update(0.0f);
    ASSERT_GE(ui.lines.size(), 2u);
    EXPECT_EQ(std::vector<std::string>(ui.lines.end() - 2, ui.lines.end()),
              (std::vector<std::string>{"<hide>", "showMenu WinGame"}));
}

TEST_F(ClientMessagesShown, ALossEndsTheGameAndStillSoundsAtThePlayerItHad)
{
    Join();
    CovenantClient* own = gameClient->GetCovenant(0, true);
    link->playerCovenant = own;
    int32_t playerNumber = link->GetEntityNumber();
    ASSERT_NE(playerNumber, -1);
    gameClient->Update(0.0f);
    EXPECT_FALSE(gameClient->gameOverShown);
    own->eliminated = true;
    gameClient->Update(0.0f);
    // The link went with the game: only the app and the game client are asked from here on.
    link = nullptr;
    EXPECT_FALSE(app->IsActive());
    EXPECT_TRUE(gameClient->gameOverShown);
    EXPECT_EQ(std::vector<std::string>(ui.lines.end() - 2, ui.lines.end()),
              (std::vector<std::string>{"<hide>", "showMenu LoseGame"}));
    EXPECT_EQ(gameClient->GetMessages().GetLostText(), "$$YouLost$$");
    SoundInstance* lost = nullptr;
    for (int32_t i = SoundSystem::kMusicChannels; i < SoundSystem::kChannelCount; ++i)
        if (sound->GetChannel(i)->IsActive())
            lost = sound->GetChannel(i);
    ASSERT_NE(lost, nullptr);
    EXPECT_EQ(manager->GetName(lost->GetResource()), "Sounds/UI/lost.wav");
    EXPECT_EQ(lost->GetOwner(), playerNumber);
}

} // namespace
