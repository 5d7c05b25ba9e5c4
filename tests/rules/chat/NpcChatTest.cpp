// NpcChatTest -- NPC chat sets: the Any rule, inclusive level bounds, empty sets, the weighted set pick and the seeded line pick.
#include "rules/monsters/RecordWorld.h"
#include "rules/RulesEnums.h"
#include "rules/chat/NpcChat.h"

namespace {

const std::string kNpcChatRecords = RecordWorld::Records({
    "Talk: Type NpcChat; DialogType None; MinLevel 1; MaxLevel 10; ChanceEachChat 1; ChatText A; ChatText B; "
        "ChatText C",
    "Heavy: Type NpcChat; DialogType none; MinLevel 1; MaxLevel 10; ChanceEachChat 5; ChatText D",
    "AnySet: Type NpcChat; DialogType Any; MinLevel 1; MaxLevel 10; ChanceEachChat 1; ChatText E",
    "Five: Type NpcChat; DialogType Rain; MinLevel 5; MaxLevel 5; ChanceEachChat 1; Dynamic 1; DynamicChance 0.5; "
        "DynamicTimeLimit 30; ChatText F",
    "Silent: Type NpcChat; DialogType Rain; MinLevel 1; MaxLevel 10; ChanceEachChat 3",
    "Bare: Type NpcChat",
});

class NpcChats : public RecordWorld {
protected:
    NpcChats() { LoadRecords("", kNpcChatRecords); }

    const NpcChat& Chat(const char* name) { return *gameData.GetNpcChats().FindByName(name); }

    std::vector<const NpcChat*> All()
    {
        std::vector<const NpcChat*> sets;
        for (const auto& chat : gameData.GetNpcChats())
            sets.push_back(chat.get());
        return sets;
    }
};

} // namespace

TEST_F(NpcChats, AnyAsksForTheSetsOfTypeNone)
{
    EXPECT_TRUE(Chat("Talk").Matches(ChatDialogType::Any, 3));
    EXPECT_FALSE(Chat("AnySet").Matches(ChatDialogType::Any, 3));
    EXPECT_TRUE(Chat("Talk").Matches(ChatDialogType::None, 10));
    EXPECT_FALSE(Chat("Talk").Matches(ChatDialogType::None, 11));
    EXPECT_FALSE(Chat("Talk").Matches(ChatDialogType::None, 0));
}

TEST_F(NpcChats, LevelBoundsAreInclusive)
{
    EXPECT_TRUE(Chat("Five").Matches(ChatDialogType::Rain, 5));
    EXPECT_FALSE(Chat("Five").Matches(ChatDialogType::Rain, 4));
    EXPECT_FALSE(Chat("Five").Matches(ChatDialogType::Rain, 6));
    EXPECT_TRUE(Chat("Five").dynamic);
    EXPECT_FLOAT_EQ(Chat("Five").dynamicTimeLimit, 30.0f);
}

TEST_F(NpcChats, EmptySetsAndBareRecords)
{
    EXPECT_FLOAT_EQ(Chat("Silent").GetChatChance(), 0.0f);
    EXPECT_EQ(Chat("Silent").PickChatText(), "");
    const NpcChat& bare = Chat("Bare");
    EXPECT_EQ(bare.dialogType, ChatDialogType::None);
    EXPECT_TRUE(bare.Matches(ChatDialogType::None, 0));
    EXPECT_FALSE(bare.Matches(ChatDialogType::None, 1));
    EXPECT_EQ(CountLogged("^c001Unknown ChatDialogType name \n"), 1);
    EXPECT_EQ(CountProblems(), 1);
}

TEST_F(NpcChats, LinesAndSetsFollowTheSeededStream)
{
    EXPECT_FLOAT_EQ(Chat("Talk").GetChatChance(), 3.0f);
    for (int i = 0; i < 20; ++i) {
        RandomSystem expected = Copy();
        int32_t k = expected.RandomInt(RandomStream::GameData, 3);
        EXPECT_EQ(Chat("Talk").PickChatText(), std::string(1, static_cast<char>('A' + k)));
    }
    // Talk weighs 3 and Heavy 5 at level 2; AnySet and the rain sets do not match.
    for (int i = 0; i < 20; ++i) {
        RandomSystem expected = Copy();
        float target = expected.RandomFloat(RandomStream::GameData) * 8.0f;
        const NpcChat* want = target < 3.0f ? &Chat("Talk") : &Chat("Heavy");
        EXPECT_EQ(NpcChat::PickChat(All(), ChatDialogType::Any, 2), want);
    }
    EXPECT_EQ(NpcChat::PickChat(All(), ChatDialogType::Rain, 4), nullptr);  // only Silent, weight 0
    EXPECT_EQ(NpcChat::PickChat(All(), ChatDialogType::Rain, 5), &Chat("Five"));
}
