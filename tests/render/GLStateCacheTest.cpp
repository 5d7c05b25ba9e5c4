// GLStateCacheTest -- through a recording GL: a state already in force is not sent again, the compound states compare what they own, reset and the two-dimensional reset.
#include "render/GLStateCache.h"
#include "render/RecordingGL.h"

#include <gtest/gtest.h>

namespace {

using R = RecordingGL;

class GLStateCacheTest : public ::testing::Test {
protected:
    RecordingGL gl;
    GLStateCache cache{gl};
};

TEST_F(GLStateCacheTest, ARepeatedStateIsSentOnce)
{
    for (int i = 0; i < 3; ++i) {
        cache.SetEnabled(GL_DEPTH_TEST, true);
        cache.DepthFunc(GL_LEQUAL);
        cache.DepthMask(false);
        cache.ColorMask(true);
        cache.SetBlend(true, GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        cache.SetAlphaTest(true, GL_GREATER, 0.5f);
        cache.SetCull(true, GL_BACK);
        cache.BindTexture(1024);
    }
    EXPECT_EQ(gl.calls, (std::vector<std::string>{
                            R::Line("Enable", GL_DEPTH_TEST), R::Line("DepthFunc", GL_LEQUAL),
                            R::Line("DepthMask", false), R::Line("ColorMask", true), R::Line("Enable", GL_BLEND),
                            R::Line("BlendFunc", GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA),
                            R::Line("Enable", GL_ALPHA_TEST), R::Line("AlphaFunc", GL_GREATER, 0.5f),
                            R::Line("Enable", GL_CULL_FACE), R::Line("CullFace", GL_BACK),
                            R::Line("BindTexture", 1024)}));
}

TEST_F(GLStateCacheTest, AChangedPartOfACompoundStateSendsOnlyThatPart)
{
    cache.SetBlend(true, GL_ONE, GL_ONE);
    gl.Clear();
    cache.SetBlend(true, GL_SRC_ALPHA, GL_ONE);
    cache.SetBlend(false, GL_SRC_ALPHA, GL_ONE);
    // Off, the factors are not compared: nothing to send.
    cache.SetBlend(false, GL_ZERO, GL_ZERO);
    cache.SetAlphaTest(true, GL_GREATER, 0.5f);
    cache.SetAlphaTest(true, GL_GREATER, 0.25f);
    EXPECT_EQ(gl.calls, (std::vector<std::string>{R::Line("BlendFunc", GL_SRC_ALPHA, GL_ONE),
                                                  R::Line("Disable", GL_BLEND), R::Line("Enable", GL_ALPHA_TEST),
                                                  R::Line("AlphaFunc", GL_GREATER, 0.5f),
                                                  R::Line("AlphaFunc", GL_GREATER, 0.25f)}));
}

TEST_F(GLStateCacheTest, StencilOperationsAreSentOnlyWhileTheTestIsOn)
{
    cache.SetStencil(false, GL_EQUAL, 3);
    cache.SetStencilOp(GL_KEEP, GL_KEEP, GL_REPLACE);
    EXPECT_EQ(gl.calls, (std::vector<std::string>{R::Line("Disable", GL_STENCIL_TEST)}));
    gl.Clear();
    cache.SetStencil(true, GL_EQUAL, 3);
    cache.SetStencilOp(GL_KEEP, GL_KEEP, GL_REPLACE);
    cache.SetStencil(true, GL_EQUAL, 3);
    cache.SetStencilOp(GL_KEEP, GL_KEEP, GL_REPLACE);
    cache.SetStencil(true, GL_EQUAL, 4);
    EXPECT_EQ(gl.calls, (std::vector<std::string>{R::Line("Enable", GL_STENCIL_TEST),
                                                  R::Line("StencilFunc", GL_EQUAL, 3),
                                                  R::Line("StencilOp", GL_KEEP, GL_KEEP, GL_REPLACE),
                                                  R::Line("StencilFunc", GL_EQUAL, 4)}));
}

TEST_F(GLStateCacheTest, WrapModesAreAlwaysSentAndRemembered)
{
    cache.SetWrap(GL_REPEAT, GL_CLAMP);
    cache.SetWrap(GL_REPEAT, GL_CLAMP);
    EXPECT_EQ(gl.Named("TexParameter").size(), 4u);
    EXPECT_EQ(cache.GetWrapS(), GL_REPEAT);
    EXPECT_EQ(cache.GetWrapT(), GL_CLAMP);
}

TEST_F(GLStateCacheTest, ResetForgetsSoTheNextCallOfEachKindIsSent)
{
    cache.SetEnabled(GL_BLEND, true);
    cache.DepthFunc(GL_LESS);
    cache.Reset();
    gl.Clear();
    cache.SetEnabled(GL_BLEND, true);
    cache.DepthFunc(GL_LESS);
    EXPECT_EQ(gl.calls, (std::vector<std::string>{R::Line("Enable", GL_BLEND), R::Line("DepthFunc", GL_LESS)}));
}

TEST_F(GLStateCacheTest, TheTwoDimensionalResetTurnsOffOnlyWhatIsOnAndOpensTheColourWrites)
{
    cache.SetEnabled(GL_DEPTH_TEST, true);
    cache.DepthMask(true);
    cache.SetCull(true, GL_BACK);
    cache.SetAlphaTest(false, GL_GREATER, 0.5f);
    cache.SetStencil(false, GL_ALWAYS, 0);
    cache.ColorMask(false);
    gl.Clear();
    cache.ResetState();
    EXPECT_EQ(gl.calls, (std::vector<std::string>{R::Line("Disable", GL_DEPTH_TEST), R::Line("DepthMask", false),
                                                  R::Line("Disable", GL_CULL_FACE), R::Line("ColorMask", true)}));
    // The face was forgotten: culling on again sends it, though it is the same face.
    gl.Clear();
    cache.SetCull(true, GL_BACK);
    EXPECT_EQ(gl.calls, (std::vector<std::string>{R::Line("Enable", GL_CULL_FACE), R::Line("CullFace", GL_BACK)}));
    gl.Clear();
    cache.ResetState();
    cache.ResetState();
    EXPECT_EQ(gl.calls, (std::vector<std::string>{R::Line("Disable", GL_CULL_FACE)}));
}

} // namespace
