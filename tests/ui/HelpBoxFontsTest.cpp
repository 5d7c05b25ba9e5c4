// HelpBoxFontsTest -- the help box's kept tooltip texts measured again when "r_higherResFonts" lends the next font's widths.
#include "resources/shaders/ShaderWorld.h"

#include "core/UserVarSystem.h"
#include "render/TextMeasure.h"
#include "resources/fonts/ScreenText.h"
#include "ui/widgets/UIHelp.h"

#include <string>

namespace {

class HelpBoxFonts : public ShaderWorld {
protected:
    HelpBoxFonts()
    {
        StartShaders();
        text.RegisterVars();
        gUserVarSystem->SetStringByName("r_higherResFonts", "0");
        gScreenText = &text;
        WriteAsset("Fonts/f0.fnt", MakeGlyphFont(1));
        // Widths and heights scaled apart: under "r_higherResFonts" a text measured in the font
        // below takes widths of another ratio.
        WriteAsset("Fonts/f1.fnt", MakeGlyphFont(3, 2));
        WriteTarga("Textures/Fonts/f.tga", 8, 8);
        text.LoadFontLadder({"Fonts/f0.fnt", "Fonts/f1.fnt", "Fonts/f1.fnt", "Fonts/f1.fnt"});
    }
    ~HelpBoxFonts() override { gScreenText = nullptr; }
    void TearDown() override
    {
        text.LoadFontLadder({"", "", "", ""});
        ShaderWorld::TearDown();
    }

    ScreenText text{&device};
};

} // namespace

// One tooltip under a still cursor, shown frame after frame while the setting goes on and off:
// each frame's box is as wide as its words measure then, not as they measured when first kept.
TEST_F(HelpBoxFonts, AKeptTooltipIsMeasuredAgainWhenTheHigherResolutionFontsGoOnOrOff)
{
    UIHelp help;
    help.font = text.GetLadderFont(0);
    const float none[2] = {0.0f, 0.0f};
    const char words[] = "A kept tooltip";
    float plain = MeasureTextA(words, help.font.GetValue()).width;
    ASSERT_GT(plain, 0.0f);
    for (bool larger : {false, true, true, false, true}) {
        SCOPED_TRACE(larger ? "larger" : "plain");
        gUserVarSystem->SetStringByName("r_higherResFonts", larger ? "1" : "0");
        float fresh = MeasureTextA(words, help.font.GetValue()).width;
        EXPECT_EQ(fresh != plain, larger) << "the setting lends other widths";
        help.ShowBox(words, "", none, none, 1.0f, false, false);
        EXPECT_FLOAT_EQ(help.size[0], fresh);
    }
}
