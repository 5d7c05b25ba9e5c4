// Quick-use slots over a joined player: skills and items dropped on them are kept in the player's quick-use table and used by a right press or the hot key, entries move between slots, an item that runs out is followed back, an item whose timer runs out raises its use hint once, and hostile indices grow nothing.
#include "ui/SkillSlotWorld.h"

#include "support/LogLines.h"
#include "core/LocSystem.h"

namespace {

using Lines = std::vector<std::string>;
using Words = std::array<int32_t, 4>;

constexpr Words kEmpty{UIUseSlot::kKindEmpty, -1, -1, -1};

// Two skills and a bag cell above a row of quick-use slots; one without an index, one past the
// table's last number, one far down the table, and a clickable widget that is no slot.
const char kUseSlotMenu[] =
    "name Slots\nposition 0 0\nsize 400 300\n"
    "SkillSlot { internalName Jolt skillIndex 0 0 fullDisplay 0 position 300 100 size 32 32 }\n"
    "SkillSlot { internalName Guard skillIndex 0 1 fullDisplay 0 position 340 100 size 32 32 }\n"
    "ItemSlot { internalName Cell0 inventorySlot Bag1 0 position 0 0 size 32 32 }\n"
    "UseSlot { internalName Use0 index 0 position 0 200 size 32 32 }\n"
    "UseSlot { internalName Use1 index 1 position 40 200 size 32 32 }\n"
    "UseSlot { internalName Use3 index 3 position 80 200 size 32 32 }\n"
    "UseSlot { internalName NoIndex position 120 200 size 32 32 }\n"
    "UseSlot { internalName Huge index 256 position 160 200 size 32 32 }\n"
    "UseSlot { internalName Far index 200 position 200 200 size 32 32 }\n"
    "Widget { internalName Plain canClick 1 position 240 200 size 32 32 }\n";

const char kUseSlotItems[] = R"(
Flask
{
    Type Item
    ItemType Drink
    CanBeUsed 1
    MaxStack 5
    TextureName "Textures/flask.tga"
}

TimedFlask
{
    Type Item
    ItemType Drink
    CanBeUsed 1
    ItemTimer 1
    ItemTimerTime 1
    ShowSkillHint 1
    TextureName "Textures/flask.tga"
}

QuietFlask
{
    Type Item
    ItemType Drink
    CanBeUsed 1
    ItemTimer 2
    ItemTimerTime 1
    TextureName "Textures/flask.tga"
}
)";

class UseSlot : public SkillSlotWorld {
protected:
    void Start()
    {
        StartWithSkillMenu(kUseSlotMenu);
        hostPlayer->stats.Set(LevelStat(0), 1);
        hostPlayer->stats.Set(LevelStat(1), 0);
        hostPlayer->stats.Set(CharacterStat::Power, 50);
        Sync();
    }

    UIUseSlot& Use(const std::string& name) const { return Get<UIUseSlot>(name); }

    // The widget's hot key, pressed and let go through the menus.
    void HotKey(UIWidget& widget)
    {
        widget.hotKey = 30;
        ui->HandleKey(30, true, false);
        ui->HandleKey(30, false, false);
    }

    // Queued lines that begin with the text.
    int32_t QueuedStarting(const std::string& start) const
    {
        int32_t count = 0;
        for (const std::string& line : Queued())
            count += line.rfind(start, 0) == 0 ? 1 : 0;
        return count;
    }
};

} // namespace

TEST_F(UseSlot, ASkillDroppedOnASlotIsKeptInTheTableAndUsedByTheHotKeyAndARightPress)
{
    Start();
    EXPECT_EQ(Record(1), kEmpty) << "a new character's bar holds only its first skill";
    Press(310, 110);
    ASSERT_EQ(ui->dragWidget, &Get<UISkillSlot>("Jolt"));
    Press(50, 210);
    EXPECT_EQ(ui->dragWidget, nullptr);
    EXPECT_EQ(Record(1), (Words{UIUseSlot::kKindSkill, 0, 0, -1}));
    ASSERT_NE(Use("Use1").GetContent(), nullptr);
    EXPECT_FALSE(Use("Use1").GetContent()->fullDisplay);
    EXPECT_TRUE(Use("Use1").GetContent()->inUseSlot);
    EXPECT_EQ(ui->FindWidgetByPath("Slots::Jolt"), &Get<UISkillSlot>("Jolt")) << "the skill stays in its menu";

    HotKey(Use("Use1"));
    EXPECT_EQ(QueuedStarting("useSkill 0 0 "), 1);
    Press(50, 210, 1);
    EXPECT_EQ(QueuedStarting("useSkill 0 0 "), 2);
    Press(130, 210, 1);
    EXPECT_EQ(Queued().size(), 2u) << "a right press on an empty slot does nothing";
    Press(130, 210);
    EXPECT_EQ(ui->dragWidget, nullptr) << "nor does a left press start a drag";
}

TEST_F(UseSlot, AnEntryMovesToAnotherSlotStaysOnItselfAndIsReplacedByADroppedSkill)
{
    Start();
    Press(310, 110);
    Press(50, 210);
    Press(50, 210);
    ASSERT_EQ(ui->dragWidget, &Use("Use1"));
    Press(90, 210);
    EXPECT_EQ(Record(3), (Words{UIUseSlot::kKindSkill, 0, 0, -1}));
    EXPECT_EQ(Record(1), kEmpty) << "the source slot is stored empty";
    EXPECT_EQ(Use("Use1").GetContent(), nullptr);

    Press(90, 210);
    Press(90, 210);
    EXPECT_EQ(ui->dragWidget, nullptr);
    EXPECT_NE(Use("Use3").GetContent(), nullptr) << "dropped on itself, the entry is made again from itself";
    EXPECT_EQ(Record(3), (Words{UIUseSlot::kKindSkill, 0, 0, -1}));

    Press(350, 110);
    Press(90, 210);
    EXPECT_EQ(Record(3), (Words{UIUseSlot::kKindSkill, 0, 1, -1}));
    EXPECT_EQ(Shown(MakeLocToken("DontHaveXSkill", "%s", "Guard")), 1) << "a skill not learned says so, and stays";
    EXPECT_NE(Use("Use3").GetContent(), nullptr);
}

TEST_F(UseSlot, AnItemThatRunsOutIsCoveredAndFollowedBackAndTheBarSurvivesAReload)
{
    StartWorldOnly("", std::string(kItemSlotRecords) + kSkillSlotRecords + kUseSlotItems);
    ServerCommands::Register(host->GetClientCommands());
    Join();
    hostPlayer->inventory->ResizeBag(InventoryGroupIndex::Bag1, 6);
    folder.Write("Assets/UI/slots.mnu", kUseSlotMenu);
    ui = std::make_unique<UISystem>();
    gUISystem = ui.get();
    ui->SetGameView(&view);
    ui->RegisterCommands();
    ui->PushMenuByName("Slots");
    ItemBase* flask = Give("Flask", InventoryGroupIndex::Bag1, 0);
    Sync();
    int32_t flaskId = flask->GetEntry()->GetId();
    Press(10, 10);
    Press(10, 210);
    EXPECT_EQ(Record(0), (Words{UIUseSlot::kKindItem, InventoryGroupIndex::Bag1, 0, flaskId}));

    std::unique_ptr<ItemBase> taken = hostPlayer->inventory->RemoveAt(InventoryGroupIndex::Bag1, 0);
    Sync();
    ui->Update(0.0f);
    EXPECT_TRUE(Use("Use0").HasRunOut());
    EXPECT_EQ(Record(0)[2], -1) << "the bag index is stored as gone, the item kept";
    EXPECT_EQ(Record(0)[3], flaskId);
    std::string text;
    std::string title;
    ASSERT_TRUE(Use("Use0").GetHelpText(0, 0, text, title));
    EXPECT_EQ(text.rfind("^c001$$RanOutOfThisItem$$^c145", 0), 0u) << text;
    Press(10, 210, 1);
    EXPECT_TRUE(Queued().empty()) << "nothing to use";

    ExecuteCommandLine("reloadMenus");
    ui->Update(0.0f);
    ASSERT_NE(Use("Use0").GetContent(), nullptr);
    EXPECT_EQ(Use("Use0").GetContent()->textureName, "Textures/flask.tga") << "the item's icon from its record";

    ASSERT_TRUE(hostPlayer->inventory->PlaceItem(taken, InventoryGroupIndex::Bag1, 4, kPlaceAnyGroup));
    Sync();
    ui->Update(0.0f);
    EXPECT_FALSE(Use("Use0").HasRunOut());
    Press(10, 210, 1);
    EXPECT_EQ(Queued(), Lines({StringFormat("useItem %d 4", InventoryGroupIndex::Bag1)}));
}

TEST_F(UseSlot, IndicesOutsideTheTableAreRefusedAndAHostileRecordSendsNothing)
{
    Start();
    EXPECT_EQ(CountLinesHolding(debug, "use slot Huge has index 256 outside 0..255"), 1);
    EXPECT_EQ(Use("Huge").index, -1);
    EXPECT_EQ(Use("NoIndex").index, -1);
    EXPECT_EQ(player->GetQuickUseCount(), 201) << "a slot far down the table grows it";
    EXPECT_EQ(Record(200), kEmpty);

    Press(310, 110);
    Press(170, 210);
    EXPECT_NE(Use("Huge").GetContent(), nullptr);
    EXPECT_EQ(player->GetQuickUseCount(), 201) << "a slot without a number stores nothing";
    EXPECT_FALSE(player->SetQuickUse(PlayerClient::kMaxQuickUse, {1, 0, 0, -1}));
    EXPECT_EQ(player->GetQuickUse(-4), kEmpty);
    EXPECT_EQ(player->GetQuickUse(1 << 30), kEmpty);
    EXPECT_EQ(player->GetQuickUseCount(), 201);

    // A character file's records may name places that do not exist.
    ASSERT_TRUE(player->SetQuickUse(3, {UIUseSlot::kKindItem, 99, 7, 123456}));
    ASSERT_TRUE(player->SetQuickUse(1, {UIUseSlot::kKindSkill, 3, 14, -1}));
    ASSERT_TRUE(player->SetQuickUse(0, {7, 1, 1, 1}));
    ExecuteCommandLine("reloadMenus");
    ui->Update(0.0f);
    EXPECT_EQ(Use("Use0").GetContent(), nullptr) << "an unknown kind is an empty slot";
    for (const char* name : {"Use1", "Use3"}) {
        Press(name == std::string("Use1") ? 50 : 90, 210, 1);
        HotKey(Use(name));
    }
    EXPECT_TRUE(Queued().empty());
}

TEST_F(UseSlot, ClearUseSlotEmptiesTheSlotUnderTheCursorAndNothingElse)
{
    Start();
    Press(310, 110);
    Press(50, 210);
    input.cursorAt[0] = 250;
    input.cursorAt[1] = 210;
    input.UpdateCursor();
    ExecuteCommandLine("clearUseSlot");
    EXPECT_EQ(Record(1), (Words{UIUseSlot::kKindSkill, 0, 0, -1})) << "the plain widget under the cursor";
    input.cursorAt[0] = 50;
    input.UpdateCursor();
    ExecuteCommandLine("clearUseSlot");
    EXPECT_EQ(Record(1), kEmpty);
    EXPECT_EQ(Use("Use1").GetContent(), nullptr);
    std::string text;
    std::string title;
    EXPECT_TRUE(Use("Use1").GetHelpText(0, 0, text, title));
    EXPECT_EQ(text, "$$PutSkillsOrItemsHere$$");
}

TEST_F(UseSlot, ACopyOwnsItsOwnContent)
{
    Start();
    Press(310, 110);
    Press(50, 210);
    std::unique_ptr<UIWidget> copy(UISystem::CloneWidget(&Use("Use1")));
    auto* copied = dynamic_cast<UIUseSlot*>(copy.get());
    ASSERT_NE(copied, nullptr);
    EXPECT_EQ(copied->index, 1);
    ASSERT_NE(copied->GetContent(), nullptr);
    EXPECT_NE(copied->GetContent(), Use("Use1").GetContent());
    int32_t kind = -1;
    int32_t tree = -1;
    int32_t index = -1;
    copied->GetContent()->GetSlotRef(kind, tree, index);
    EXPECT_EQ((Words{kind, tree, index, copied->GetContent()->GetItemId()}), (Words{1, 0, 0, -1}));
    copy.reset();
    EXPECT_NE(Use("Use1").GetContent(), nullptr) << "the source keeps its own";
}

// Only an item whose record asks for the notice ("ShowSkillHint") raises it; another cooling down
// beside it raises none.
TEST_F(UseSlot, AnItemWhoseTimerRunsOutRaisesItsUseHintOnceWhenItsRecordAsks)
{
    StartWorldOnly("UseHintOffset \"0 -48\"\nUseHintOffset \"10 -72\"\n",
                   std::string(kItemSlotRecords) + kSkillSlotRecords + kUseSlotItems);
    ServerCommands::Register(host->GetClientCommands());
    Join();
    player->InitUseHints();
    hostPlayer->inventory->ResizeBag(InventoryGroupIndex::Bag1, 6);
    folder.Write("Assets/UI/slots.mnu", kUseSlotMenu);
    ui = std::make_unique<UISystem>();
    gUISystem = ui.get();
    ui->SetGameView(&view);
    ui->RegisterCommands();
    ui->PushMenuByName("Slots");
    Give("TimedFlask", InventoryGroupIndex::Bag1, 0);
    Sync();
    Press(10, 10);
    Press(10, 210);
    ASSERT_EQ(Record(0)[0], UIUseSlot::kKindItem);
    const UISlotBase* held = Use("Use0").GetContent();
    ASSERT_NE(held, nullptr);
    auto hinted = [this](const void* object) {
        int32_t count = 0;
        for (const PlayerClient::UseHint& hint : player->GetUseHints())
            count += hint.object == object ? 1 : 0;
        return count;
    };
    // The quiet flask in the next box, as the bar's record names it.
    Give("QuietFlask", InventoryGroupIndex::Bag1, 1);
    Sync();
    int32_t quietId = gDatabase->FindEntryByName("QuietFlask")->GetId();
    ASSERT_TRUE(player->SetQuickUse(1, {UIUseSlot::kKindItem, InventoryGroupIndex::Bag1, 1, quietId}));
    ui->NotifyPlayerChanged();
    // The notice gives every slot new contents: the first slot's is looked up again.
    held = Use("Use0").GetContent();
    const UISlotBase* quiet = Use("Use1").GetContent();
    ASSERT_NE(held, nullptr);
    ASSERT_NE(quiet, nullptr);

    // The host starts the flasks' timers when they are drunk; the update brings them to the mirror.
    hostPlayer->SetItemTimer(1, 1.0f);
    hostPlayer->SetItemTimer(2, 1.0f);
    Sync();
    ASSERT_TRUE(player->IsItemTimerActive(1));
    ASSERT_TRUE(player->IsItemTimerActive(2));
    EXPECT_EQ(hinted(held), 0) << "not while it waits";
    for (int i = 0; i < 30 && (player->IsItemTimerActive(1) || player->IsItemTimerActive(2)); ++i) {
        ClientFrame(100);
        ui->Update(0.1f);
        EXPECT_EQ(hinted(held), player->IsItemTimerActive(1) ? 0 : 1);
        EXPECT_EQ(hinted(quiet), 0);
    }
    ASSERT_FALSE(player->IsItemTimerActive(1));
    ASSERT_FALSE(player->IsItemTimerActive(2));
    EXPECT_EQ(hinted(held), 1);
    EXPECT_EQ(hinted(quiet), 0) << "its record does not ask for the notice";
    EXPECT_EQ(player->GetUseHints()[0].icon, held->texture.GetValue());
    ui->Update(0.1f);
    EXPECT_EQ(hinted(held), 1) << "raised once, not once a frame";
}

// A quick-use entry dragged over the portrait of the player's party member is forced on it by the
// item it holds; the drag ends and the entry stays in its slot.
TEST_F(UseSlot, AnEntryLetGoOverAPartyMembersPortraitForcesItsItemOnTheMember)
{
    StartWithMenu(std::string(kUseSlotMenu) + "Widget { internalName Member entityType PartyMember entityIndex 0 "
                                              "canClick 1 position 300 200 size 32 32 }\n",
                  "", std::string(kSkillSlotRecords) + kFolkRecords);
    Give("Salve", InventoryGroupIndex::Bag1, 0);
    Actor* folk = AddFolk();
    Press(10, 10);
    Press(10, 210);
    ASSERT_EQ(Record(0)[0], UIUseSlot::kKindItem);
    Sync();
    // The party as the player's part of the update would bring it.
    player->party = {folk->entityNumber};
    Press(10, 210);
    ASSERT_EQ(ui->dragWidget, &Use("Use0"));
    EXPECT_TRUE(Press(310, 210));
    EXPECT_EQ(Queued(), Lines({"forceUse " + std::to_string(folk->entityNumber) + " 2 0"}));
    EXPECT_EQ(ui->dragWidget, nullptr);
    EXPECT_EQ(Record(0)[0], UIUseSlot::kKindItem) << "the entry stays in its slot";
}
