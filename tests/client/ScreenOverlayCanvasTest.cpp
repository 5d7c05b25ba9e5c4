// ScreenOverlayCanvasTest -- the overlays' screen canvas measuring the rising texts in the overlay font: each text translated once and kept while it is drawn from frame to frame, and forgotten once a frame passes without it.
#include "resources/shaders/ShaderWorld.h"

#include "client/EntityOverlays.h"
#include "core/LocSystem.h"
#include "core/UserVarSystem.h"
#include "render/TextMeasure.h"
#include "resources/fonts/ScreenText.h"

#include <string>

namespace {

class ScreenOverlayCanvasWorld : public ShaderWorld {
protected:
    ScreenOverlayCanvasWorld()
    {
        StartShaders();
        text.RegisterVars();
        text.SetLineSpacing(2.0f);
        gUserVarSystem->SetStringByName("r_higherResFonts", "0");
        gScreenText = &text;
        WriteAsset("Fonts/f.fnt", MakeGlyphFont(1));
        WriteTarga("Textures/Fonts/f.tga", 8, 8);
        text.LoadFontLadder({"Fonts/f.fnt", "Fonts/f.fnt", "Fonts/f.fnt", "Fonts/f.fnt"});
        gLocSystem = &loc;
    }
    ~ScreenOverlayCanvasWorld() override
    {
        gLocSystem = nullptr;
        gScreenText = nullptr;
    }
    void TearDown() override
    {
        text.LoadFontLadder({"", "", "", ""});
        ShaderWorld::TearDown();
    }

    // The language whose one text is the token "Rising".
    void LoadLanguage(const std::string& name, const std::string& rising)
    {
        WriteAsset("Loc/" + name + ".loc", "Rising \"" + rising + "\"\n");
        ASSERT_TRUE(loc.Load(name));
    }

    ScreenText text{&device};
    LocSystem loc;
};

} // namespace

// Frame after frame one text is measured, twice over, as a rising text is measured and drawn: a
// number, two lines, then a token, round and round. Each height is the text's own, as measured
// afresh. Between the rounds the language changes; the token, not drawn for two frames, was
// forgotten and is translated anew: a canvas that kept every text it ever measured would go on
// showing the first language's words.
TEST_F(ScreenOverlayCanvasWorld, EachFramesTextsMeasureAsThemselvesAndATextNotDrawnForAFrameIsForgotten)
{
    ASSERT_NO_FATAL_FAILURE(LoadLanguage("First", "a\\nb\\nc"));
    const int32_t font = text.GetLadderFont(1);
    ASSERT_GT(MeasureTextA("1", font).height, 0.0f) << "the font measures";
    ScreenOverlayCanvas canvas;
    for (int round = 0; round < 3; ++round) {
        if (round == 1) {
            ASSERT_NO_FATAL_FAILURE(LoadLanguage("Second", "a\\nb\\nc\\nd"));
        }
        for (const char* shown : {"1", "1\n2", "$$Rising$$"}) {
            SCOPED_TRACE(std::to_string(round) + ": " + shown);
            canvas.BeginFrame();
            float fresh = MeasureTextA(shown, font).height;
            EXPECT_FLOAT_EQ(canvas.MeasureTextHeight(shown), fresh);
            EXPECT_FLOAT_EQ(canvas.MeasureTextHeight(shown), fresh) << "measured again in its frame";
        }
    }
    // The three texts stand apart, so that no text can pass for another.
    EXPECT_LT(MeasureTextA("1", font).height, MeasureTextA("1\n2", font).height);
    EXPECT_LT(MeasureTextA("1\n2", font).height, MeasureTextA("a\nb\nc", font).height);
    EXPECT_LT(MeasureTextA("a\nb\nc", font).height, MeasureTextA("$$Rising$$", font).height);
}
