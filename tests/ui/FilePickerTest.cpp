// FilePickerTest -- the file picker over a temporary user folder: its order of folders and files, double clicks into folders and on files, Back, Cancel and Ok with their answers, a list provider's rows, and hostile names and bases that must never lead an answer out of its base folder.
#include "ui/UiWorld.h"

#include "ui/widgets/UIFilePicker.h"
#include "ui/widgets/UIScrollBar.h"

namespace {

class PickerView : public FakeGameView {
public:
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    std::vector<std::string> messages;
};

// Rows start 30 below the picker's top at (100, 50); its buttons sit at y 235 (with a file-name
// box, which ends at 240) or 250, from x 110 in steps of 70.
class FilePicker : public UiWorld {
protected:
    void SetUp() override
    {
        for (const char* file : {"User/pick/a.txt", "User/pick/b.TXT", "User/pick/c.sav", "User/pick/Notes.Sav",
                                 "User/pick/z.dat", "User/pick/alpha/inner.txt", "User/pick/Beta/deep/x.txt"})
            folder.Write(file, "x");
        folder.Write("User/outside.txt", "kept");
        commands.RegisterInfoProc("pickRows", [](std::vector<ListEntry>& rows) {
            rows.push_back(ListEntry{"First row", "", "", "../first value", 1});
            rows.push_back(ListEntry{"Second row", "", "", "second", 1});
        });
        ui->SetGameView(&view);
    }

    // A menu "Picker" holding one picker P with the given keywords, shown.
    UIFilePicker& Make(const std::string& keywords)
    {
        WriteMenu("picker.mnu", "name Picker\nsize 640 480\nFilePicker { internalName P position 100 50 size 300 200 "
                                "userVar pickedFile \"\" successCommand \"record saved\" " +
                                    keywords + " }\n");
        ui->RegisterCommands();
        ui->ShowMenu("Picker");
        auto* picker = dynamic_cast<UIFilePicker*>(ui->FindWidgetByPath("Picker::P"));
        if (!picker)
            throw std::runtime_error("no picker");
        return *picker;
    }

    std::vector<std::string> Names(const UIFilePicker& picker) const
    {
        std::vector<std::string> names;
        for (const auto& entry : picker.GetEntries())
            names.push_back(entry.name + (entry.isDirectory ? "/" : ""));
        return names;
    }

    void ClickRow(int32_t row, float header = 30.0f)
    {
        Click(150, 50 + static_cast<int32_t>(header) + 15 * row + 7);
        ui->Update(0.016f);
    }
    void DoubleClickRow(int32_t row, float header = 30.0f)
    {
        ClickRow(row, header);
        Advance(100);
        ClickRow(row, header);
    }
    // 0 Back, 1 Cancel, 2 Ok.
    void Button(int32_t which, bool withTextBox)
    {
        Click(120 + 70 * which, withTextBox ? 245 : 257);
        ui->Update(0.016f);
    }

    std::string Picked() const { return vars.GetStringByName("pickedFile"); }

    PickerView view;
};

TEST_F(FilePicker, FoldersComeFirstThenTheFilesOfEveryExtensionSortedTogetherWithoutRegardToCase)
{
    UIFilePicker& picker = Make("baseDirectory User/pick addExtension txt addExtension SAV");
    EXPECT_EQ(Names(picker), (std::vector<std::string>{"alpha/", "Beta/", "a.txt", "b.TXT", "c.sav", "Notes.Sav"}));
    ASSERT_NE(picker.GetScrollBar(), nullptr);
    EXPECT_EQ(picker.GetScrollBar()->count, 6);
    EXPECT_EQ(picker.GetScrollBar()->pageSize, (200 - 30 - 30) / 15) << "the rows between the header and the buttons";
}

TEST_F(FilePicker, ADoubleClickEntersAFolderAndBackClimbsButNeverAboveTheBase)
{
    UIFilePicker& picker = Make("baseDirectory User/pick addExtension txt");
    std::vector<std::string> top = Names(picker);
    ClickRow(1);
    EXPECT_EQ(picker.selected, 1);
    EXPECT_EQ(picker.GetOkButton()->text, "$$Open$$") << "a folder's Ok opens it";
    Advance(700);
    ClickRow(1);
    EXPECT_TRUE(picker.currentPath.empty()) << "two clicks further apart than the double-click time";
    Advance(100);
    ClickRow(1);
    EXPECT_EQ(picker.currentPath, "/Beta");
    EXPECT_EQ(Names(picker), std::vector<std::string>{"deep/"});
    EXPECT_EQ(picker.selected, -1);
    EXPECT_EQ(picker.GetOkButton()->text, "$$Ok$$");
    DoubleClickRow(0);
    EXPECT_EQ(picker.currentPath, "/Beta/deep");
    EXPECT_EQ(Names(picker), std::vector<std::string>{"x.txt"});

    Button(0, false);
    EXPECT_EQ(picker.currentPath, "/Beta");
    Button(0, false);
    Button(0, false);
    EXPECT_TRUE(picker.currentPath.empty());
    EXPECT_EQ(Names(picker), top) << "back at the top the same entries again";
    EXPECT_TRUE(TakeRan().empty());
}

TEST_F(FilePicker, TheAnswerIsTheFolderPathAndTheNameAndOkRunsTheSuccessCommandAndHides)
{
    UIFilePicker& picker = Make("baseDirectory User/pick addExtension txt");
    DoubleClickRow(0);
    ClickRow(0);
    Button(2, false);
    EXPECT_EQ(Picked(), "/alpha/inner.txt");
    EXPECT_EQ(TakeRan(), std::vector<std::string>{"saved"});
    EXPECT_FALSE(Menu("Picker").IsShown()) << "the menu hides";
    EXPECT_EQ(picker.selected, -1);

    ui->ShowMenu("Picker");
    vars.SetStringByName("pickedFile", "");
    Button(0, false);
    DoubleClickRow(2);
    EXPECT_EQ(Picked(), "a.txt") << "a double click on a file accepts it; at the top no separator";
    EXPECT_EQ(TakeRan(), std::vector<std::string>{"saved"});
}

TEST_F(FilePicker, WithoutPickingAFileOkAnswersTheFolderAndADoubleClickedFileIsNotAccepted)
{
    UIFilePicker& picker = Make("baseDirectory User/pick addExtension txt pickingFile 0");
    DoubleClickRow(2);
    EXPECT_TRUE(Picked().empty());
    EXPECT_TRUE(TakeRan().empty());
    DoubleClickRow(1);
    ASSERT_EQ(picker.currentPath, "/Beta");
    Button(2, false);
    EXPECT_EQ(Picked(), "/Beta");
    EXPECT_EQ(TakeRan(), std::vector<std::string>{"saved"});
}

TEST_F(FilePicker, OkWithNothingFitSaysSoAndCancelHidesWithoutAnAnswer)
{
    Make("baseDirectory User/pick addExtension txt");
    Button(2, false);
    EXPECT_EQ(view.messages, std::vector<std::string>{"$$NothingSelected$$"});
    EXPECT_TRUE(Menu("Picker").IsShown());
    ClickRow(2);
    Button(1, false);
    EXPECT_FALSE(Menu("Picker").IsShown());
    EXPECT_TRUE(Picked().empty());
    EXPECT_TRUE(TakeRan().empty());
}

TEST_F(FilePicker, ATypedNameNeedsAListedExtensionAndAMismatchDropsTheSelection)
{
    UIFilePicker& picker = Make("baseDirectory User/pick addExtension txt textBox 1 tempUserVar pickName");
    ClickRow(3);
    EXPECT_EQ(vars.GetStringByName("pickName"), "b.TXT") << "a click fills the name box";
    EXPECT_EQ(picker.selected, 3);
    vars.SetStringByName("pickName", "b.TX");
    ui->Update(0.016f);
    EXPECT_EQ(picker.selected, -1) << "the typed name no longer names the row";
    Button(2, true);
    EXPECT_EQ(view.messages, std::vector<std::string>{"$$NothingSelected$$"});

    vars.SetStringByName("pickName", "new.Txt");
    Button(2, true);
    EXPECT_EQ(Picked(), "new.Txt");
    EXPECT_EQ(TakeRan(), std::vector<std::string>{"saved"});
}

TEST_F(FilePicker, HostileTypedNamesShowTheMessageAndAnswerNothing)
{
    Make("baseDirectory User/pick addExtension txt textBox 1 tempUserVar pickName");
    DoubleClickRow(0);
    for (const std::string& typed : {std::string("../x.txt"), std::string("a/b.txt"), std::string("/etc/passwd.txt"),
                                     std::string("C:x.txt"), std::string("x\\y.txt"), std::string("\x01y.txt"),
                                     std::string("..\\..\\x.txt"), std::string(".."), std::string("../escape")}) {
        view.messages.clear();
        vars.SetStringByName("pickName", typed);
        Button(2, true);
        EXPECT_EQ(view.messages, std::vector<std::string>{"$$InvalidFileName$$"}) << typed;
        EXPECT_TRUE(Picked().empty()) << typed;
        EXPECT_TRUE(TakeRan().empty()) << typed;
        EXPECT_TRUE(Menu("Picker").IsShown());
    }
    for (const std::string& typed : {std::string(""), std::string("name.dat")}) {
        view.messages.clear();
        vars.SetStringByName("pickName", typed);
        Button(2, true);
        EXPECT_EQ(view.messages, std::vector<std::string>{"$$NothingSelected$$"}) << typed;
        EXPECT_TRUE(Picked().empty()) << typed;
    }
    EXPECT_EQ(folder.Read("User/outside.txt"), "kept");
}

TEST_F(FilePicker, ABaseOutsideTheGameFolderListsNothingAndAcceptsNothing)
{
    const std::vector<std::string> bases = {"../", "/var", "User/../..", "C:/Windows"};
    for (size_t i = 0; i < bases.size(); ++i)
        WriteMenu("base" + std::to_string(i) + ".mnu",
                  "name Base" + std::to_string(i) + "\nsize 640 480\nFilePicker { internalName P size 300 200 "
                  "userVar pickedFile \"\" successCommand \"record saved\" textBox 1 tempUserVar pickName "
                  "addExtension txt baseDirectory \"" + bases[i] + "\" }\n");
    ui->RegisterCommands();
    for (size_t i = 0; i < bases.size(); ++i) {
        std::string name = "Base" + std::to_string(i);
        view.messages.clear();
        ui->ShowMenu(name);
        auto* picker = dynamic_cast<UIFilePicker*>(ui->FindWidgetByPath(name + "::P"));
        ASSERT_NE(picker, nullptr);
        EXPECT_TRUE(picker->GetEntries().empty()) << bases[i];
        vars.SetStringByName("pickName", "fine.txt");
        ExecuteCommandLine("widgetCommand " + name + "::P ok");
        EXPECT_EQ(view.messages, std::vector<std::string>{"$$InvalidFileName$$"}) << bases[i];
        EXPECT_TRUE(Picked().empty()) << bases[i];
        EXPECT_TRUE(TakeRan().empty()) << bases[i];
    }
    EXPECT_EQ(Logged("is not a folder of the game"), 4) << "once a picker";
}

TEST_F(FilePicker, AListProvidersRowsStartAtTheTopAndAnswerTheirValue)
{
    UIFilePicker& picker = Make("infoProc pickRows useIdentifier");
    ASSERT_EQ(Names(picker), (std::vector<std::string>{"First row", "Second row"}));
    ClickRow(0, 0.0f);
    Button(2, false);
    EXPECT_EQ(Picked(), "../first value") << "a provider's value is its own, not a path";
    EXPECT_EQ(TakeRan(), std::vector<std::string>{"saved"});
}

TEST_F(FilePicker, ACopyKeepsItsSettingsAndMakesItsOwnButtons)
{
    UIFilePicker& picker = Make("baseDirectory User/pick addExtension txt textBox 1 tempUserVar pickName");
    size_t widgets = Menu("Picker").GetWidgets().size();
    EXPECT_EQ(widgets, 1u + 2u + 3u + 1u) << "the picker, the name label and box, three buttons, the scroll bar";
    std::unique_ptr<UIWidget> copy(UISystem::CloneWidget(&picker));
    auto* twin = dynamic_cast<UIFilePicker*>(copy.get());
    ASSERT_NE(twin, nullptr);
    EXPECT_EQ(twin->baseDirectory, "User/pick");
    EXPECT_EQ(twin->extensions, std::vector<std::string>{"txt"});
    EXPECT_TRUE(twin->textBox);
    EXPECT_EQ(twin->GetOkButton(), nullptr);
    EXPECT_EQ(twin->GetScrollBar(), nullptr);
    size_t madeByOwner = 0;
    for (UIWidget* widget : Menu("Picker").GetWidgets())
        madeByOwner += widget->IsMadeByOwner();
    EXPECT_EQ(madeByOwner, 6u) << "a copy of the menu leaves out what the picker made";
}

} // namespace
