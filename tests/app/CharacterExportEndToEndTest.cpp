// CharacterExportEndToEndTest -- the shipped game offscreen, driven by SDL clicks: the character sheet's Export button opens the export screen, whose buttons write the web page and the forum post of the character into the user's Exports folder and hand the sheet to the mail program.
#include "app/OffscreenShots.h"

#include "client/CharacterExport.h"
#include "core/ColorCode.h"
#include "core/LocSystem.h"
#include "core/system/PlatformSystem.h"
#include "render/TextEvents.h"
#include "rules/items/ItemBase.h"
#include "rules/skills/SkillBase.h"
#include "rules/skills/SkillDefinition.h"

#include <string>
#include <vector>

namespace {

class CharacterExportEndToEnd : public OffscreenShotGame {
protected:
    void SetUp() override
    {
        if (!std::getenv("EMBERLODE_GAME_DIR"))
            GTEST_SKIP() << "EMBERLODE_GAME_DIR not set";
        StartShippedGame();
    }

    // What the page shows for a text of the game: translated, its colour codes gone, escaped.
    static std::string OnPage(const std::string& text)
    {
        std::string shown = gLocSystem->Translate(text);
        StripColorCodes(shown);
        return CharacterExport::EscapeHtml(shown);
    }

    static std::string Notice()
    {
        const TextEvents::Record* notice = gTextEvents->FindTextEvent(8);
        return notice ? notice->text : std::string();
    }
};

TEST_F(CharacterExportEndToEnd, TheSheetsExportScreenWritesTheCharacterAndOpensAMail)
{
    EnterTheWorld();
    PlayerClient* player = Local();
    ASSERT_NE(player, nullptr);
    Tap(SDL_SCANCODE_C);
    ASSERT_TRUE(Shown("Character"));
    ClickAt(16 + 184 + 44, 4 + 428 + 12);
    ASSERT_TRUE(Shown("CharacterExport"));

    ClickAt(304 + 130, 202 + 38 + 13);
    EXPECT_EQ(Notice(), "$$CharacterExportedToHTML$$");
    const std::string& name = player->characterName;
    std::string sheet = folder.Read("User/Exports/" + name + ".htm");
    std::vector<std::string> wanted = {"<title>" + OnPage(name) + "</title>", OnPage(player->GetTitle()),
                                       OnPage(StringFormat("$$Strength$$: %d", player->GetStat(CharacterStat::Strength))),
                                       OnPage(StringFormat("$$Armor$$: %d", player->GetStat(CharacterStat::Armor)))};
    ItemTooltipOptions options;
    options.viewerStats = &player->stats;
    for (int32_t slot = 0; slot < 18; ++slot) {
        if (const ItemBase* item = player->GetInventory().GetItem(InventoryGroupIndex::Equipment, slot)) {
            std::string tooltip;
            item->BuildTooltip(options, tooltip);
            wanted.push_back(OnPage(tooltip.substr(0, tooltip.find('\n'))));
        }
    }
    for (const auto& skill : player->GetSkillList().GetSkills())
        if (skill->definition && skill->definition->basicSkill)
            wanted.push_back(OnPage(skill->definition->name) + " lvl 1<br>");
    ASSERT_GT(wanted.size(), 5u) << "the new character wears something and has a skill";
    for (const std::string& text : wanted)
        EXPECT_NE(sheet.find(text), std::string::npos) << text << "\n" << sheet;
    EXPECT_EQ(sheet.find("$$"), std::string::npos) << "every key is translated";

    ClickAt(304 + 130, 202 + 72 + 13);
    EXPECT_EQ(Notice(), "$$CharacterExportedToVbulletin$$");
    std::string post = folder.Read("User/Exports/" + name + ".txt");
    EXPECT_EQ(post.rfind("[SIZE=\"3\"][B][CENTER]" + name + "[/CENTER][/B][/SIZE]\n", 0), 0u) << post;
    EXPECT_NE(post.find(gLocSystem->Translate(StringFormat("$$Strength$$: %d\n", player->GetStat(CharacterStat::Strength)))),
              std::string::npos);

    PlatformSystem::LinkLauncher kept = PlatformSystem::GetLinkLauncher();
    std::vector<std::string> opened;
    PlatformSystem::SetLinkLauncher([&](const std::vector<std::string>& argv) {
        opened.push_back(argv.back());
        return 0;
    });
    ClickAt(304 + 130, 202 + 106 + 13);
    PlatformSystem::SetLinkLauncher(kept);
    EXPECT_EQ(Notice(), "$$OpeningEmail$$");
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].rfind("mailto:?subject=My Emberlode character&body=", 0), 0u) << opened[0];

    // The sheet's key puts the sheet away, and its export box with it.
    Tap(SDL_SCANCODE_C);
    EXPECT_FALSE(Shown("Character"));
    EXPECT_FALSE(Shown("CharacterExport")) << "the export box stays without its sheet";
}

} // namespace
