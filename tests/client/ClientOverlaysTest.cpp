// ClientOverlaysTest -- the texts and bars drawn over entities, into a recording canvas: which texts are gains or experience, how they rise, stack, fade and take their colours, which entities get a health bar, its colour, and fills held to the bar whatever the health says.
#include "client/ClientWorld.h"
#include "client/EntityOverlays.h"

#include <cmath>
#include <memory>

namespace {

constexpr const char* kClientOverlaysRecords = R"(
ArchetypeBeast
{
    Type MonsterArchetype
}
Beast
{
    Type MonsterType
    Archetype ArchetypeBeast
    Name "Beast"
}
Crate
{
    Type Object
}
)";

// Every rectangle and text, as drawn.
class RecordingCanvas : public OverlayCanvas {
public:
    struct Rect {
        float left, top, right, bottom;
        int32_t colour;
    };
    struct Text {
        std::string text;
        float x, y;
        int32_t colour;
        float alpha;
    };
    Vector2 GetEntityTop(const EntityClient&) const override { return Vector2{200.0f, 300.0f}; }
    float GetScale() const override { return scale; }
    float MeasureTextHeight(const std::string&) const override { return 10.0f; }
    void FillRect(float left, float top, float right, float bottom, int32_t colour, float) override
    {
        rects.push_back({left, top, right, bottom, colour});
    }
    void DrawText(const std::string& text, float x, float y, int32_t colour, float alpha) override
    {
        texts.push_back({text, x, y, colour, alpha});
    }

    float scale = 1.0f;
    std::vector<Rect> rects;
    std::vector<Text> texts;
};

} // namespace

class ClientOverlays : public ClientWorld {
protected:
    ClientOverlays()
    {
        LoadRecords(kClientOverlaysRecords);
        frame.playerNumber = 1;
        frame.playerCovenant = 3;
        frame.now = TimeStamp{0, 1, 0, 10.0f};
        frame.riseSpeed = 20.0f;
        frame.lifeSeconds = 2.0f;
        frame.fadeSeconds = 1.0f;
    }

    // An entity of the record, as a state record with the health pair leaves it.
    std::unique_ptr<EntityClient> Make(const char* name, int32_t health, int32_t maxHealth, int32_t number = 7)
    {
        NetEntityHeader header;
        header.number = number;
        header.definition = database.FindEntryByName(name)->GetId();
        header.position = At(100.0f, 100.0f);
        header.moveTarget = header.position;
        header.health = health;
        header.maxHealth = maxHealth;
        auto entity = std::make_unique<EntityClient>();
        entity->entityNumber = number;
        entity->ApplyState(header, {}, nullptr);
        return entity;
    }

    TimeStamp SecondsAgo(float seconds) const
    {
        TimeStamp stamp = frame.now;
        stamp.seconds -= seconds;
        stamp.Normalize();
        return stamp;
    }

    OverlayFrame frame;
    RecordingCanvas canvas;
};

TEST_F(ClientOverlays, GainsAndExperienceAreToldApartByTheirShape)
{
    EXPECT_TRUE(EntityOverlays::IsGainText("+12"));
    EXPECT_TRUE(EntityOverlays::IsGainText("^c002+12"));
    EXPECT_FALSE(EntityOverlays::IsGainText("+"));
    EXPECT_FALSE(EntityOverlays::IsGainText("^c002-1"));
    EXPECT_FALSE(EntityOverlays::IsGainText("12"));
    EXPECT_TRUE(EntityOverlays::IsExperienceText("40 xp"));
    EXPECT_FALSE(EntityOverlays::IsExperienceText("xp"));
    EXPECT_FALSE(EntityOverlays::IsExperienceText("40 hp"));
}

TEST_F(ClientOverlays, TextsRiseStackNewestLowestFadeAtTheEndAndTakeTheirOwnersColours)
{
    auto beast = Make("Beast", 10, 20);
    beast->damageTexts = {{SecondsAgo(1.5f), "7"}, {frame.now, "+3"}, {frame.now, "50 xp"}};
    EntityOverlays::DrawTexts(*beast, frame, canvas);
    ASSERT_EQ(canvas.texts.size(), 3u);
    // Newest first at the base height, the one stamped with it stacked above it.
    EXPECT_EQ(canvas.texts[0].text, "50 xp");
    EXPECT_FLOAT_EQ(canvas.texts[0].y, 300.0f - EntityOverlays::kTextLift);
    EXPECT_FLOAT_EQ(canvas.texts[1].y, canvas.texts[0].y - 10.0f + EntityOverlays::kTextGap);
    // The old text has risen past the stack's limit on its own, and is half faded.
    EXPECT_FLOAT_EQ(canvas.texts[2].y, 300.0f - EntityOverlays::kTextLift - 1.5f * 20.0f);
    EXPECT_NEAR(canvas.texts[2].alpha, 0.5f, 1e-4f);
    EXPECT_FLOAT_EQ(canvas.texts[0].alpha, 1.0f);
    EXPECT_FLOAT_EQ(canvas.texts[0].x, 200.0f);
    // Another's entity: gains and experience in 5, plain damage in 0.
    EXPECT_EQ(canvas.texts[0].colour, 5);
    EXPECT_EQ(canvas.texts[1].colour, 5);
    EXPECT_EQ(canvas.texts[2].colour, 0);

    canvas.texts.clear();
    beast->covenantIndex = 3;
    EntityOverlays::DrawTexts(*beast, frame, canvas);
    EXPECT_EQ(canvas.texts[0].colour, 57);
    EXPECT_EQ(canvas.texts[2].colour, 91);
    canvas.texts.clear();
    beast->entityNumber = 1;
    EntityOverlays::DrawTexts(*beast, frame, canvas);
    EXPECT_EQ(canvas.texts[0].colour, 2);
    EXPECT_EQ(canvas.texts[2].colour, 1);
}

TEST_F(ClientOverlays, WithoutAFadeTextsStayWholeAndTheSwitchesAndHidingLeaveThemOut)
{
    auto beast = Make("Beast", 10, 20);
    beast->damageTexts = {{SecondsAgo(1.9f), "9"}, {frame.now, "30 xp"}};
    frame.fadeSeconds = 0.0f;
    EntityOverlays::DrawTexts(*beast, frame, canvas);
    ASSERT_EQ(canvas.texts.size(), 2u);
    EXPECT_FLOAT_EQ(canvas.texts[1].alpha, 1.0f);

    canvas.texts.clear();
    frame.showExperience = false;
    EntityOverlays::DrawTexts(*beast, frame, canvas);
    ASSERT_EQ(canvas.texts.size(), 1u);
    EXPECT_EQ(canvas.texts[0].text, "9");
    canvas.texts.clear();
    frame.showExperience = true;
    frame.showDamage = false;
    EntityOverlays::DrawTexts(*beast, frame, canvas);
    ASSERT_EQ(canvas.texts.size(), 1u);
    EXPECT_EQ(canvas.texts[0].text, "30 xp");

    canvas.texts.clear();
    frame.showDamage = true;
    beast->flags |= EntityBase::kFlagHidden;
    EntityOverlays::Draw(*beast, frame, canvas);
    EXPECT_TRUE(canvas.texts.empty());
    EXPECT_TRUE(canvas.rects.empty());
}

TEST_F(ClientOverlays, MonstersHurtThingsAndQuestTargetsGetHealthBarsOthersDoNot)
{
    auto beast = Make("Beast", 20, 20);
    EXPECT_TRUE(EntityOverlays::ShowsHealthBar(*beast, frame));
    beast->givesQuests = true;
    EXPECT_FALSE(EntityOverlays::ShowsHealthBar(*beast, frame));
    beast->canBeEscorted = true;
    EXPECT_TRUE(EntityOverlays::ShowsHealthBar(*beast, frame));

    auto dead = Make("Beast", 0, 20);
    EXPECT_FALSE(EntityOverlays::ShowsHealthBar(*dead, frame));
    auto crate = Make("Crate", 20, 20);
    EXPECT_FALSE(EntityOverlays::ShowsHealthBar(*crate, frame));
    crate->health = 5;
    EXPECT_TRUE(EntityOverlays::ShowsHealthBar(*crate, frame));
    crate->entityAlpha = 0.3f;
    EXPECT_FALSE(EntityOverlays::ShowsHealthBar(*crate, frame));
    crate->entityAlpha = 1.0f;
    crate->flags |= EntityOverlays::kFlagNoBar;
    EXPECT_FALSE(EntityOverlays::ShowsHealthBar(*crate, frame));

    auto rescued = Make("Crate", 20, 20);
    rescued->canBeRescued = true;
    rescued->entityAlpha = 0.9f;
    EXPECT_FALSE(EntityOverlays::ShowsHealthBar(*rescued, frame));
    rescued->entityAlpha = 1.0f;
    EXPECT_TRUE(EntityOverlays::ShowsHealthBar(*rescued, frame));

    // The player's own bar follows its switch alone.
    auto own = Make("Crate", 5, 20, 1);
    EXPECT_FALSE(EntityOverlays::ShowsHealthBar(*own, frame));
    frame.playerBar = true;
    EXPECT_TRUE(EntityOverlays::ShowsHealthBar(*own, frame));
    EXPECT_EQ(EntityOverlays::GetHealthBarColour(*own, frame), 2);
}

TEST_F(ClientOverlays, BarColoursFollowCovenantAndKind)
{
    auto beast = Make("Beast", 5, 20);
    EXPECT_EQ(EntityOverlays::GetHealthBarColour(*beast, frame), 1);
    beast->isNpc = true;
    EXPECT_EQ(EntityOverlays::GetHealthBarColour(*beast, frame), 5);
    beast->isNpcThief = true;
    EXPECT_EQ(EntityOverlays::GetHealthBarColour(*beast, frame), 1);
    beast->covenantIndex = 3;
    EXPECT_EQ(EntityOverlays::GetHealthBarColour(*beast, frame), 2);
    // Another covenant the client has no record of is no enemy.
    beast->isNpcThief = false;
    beast->covenantIndex = 9;
    EXPECT_EQ(EntityOverlays::GetHealthBarColour(*beast, frame), 6);
}

TEST_F(ClientOverlays, TheHealthFillIsItsShareOfTheBarAndNeverLeavesIt)
{
    auto beast = Make("Beast", 6, 20);
    canvas.scale = 2.0f;
    EntityOverlays::DrawBars(*beast, frame, canvas);
    ASSERT_EQ(canvas.rects.size(), 2u);
    const auto& back = canvas.rects[0];
    const auto& fill = canvas.rects[1];
    EXPECT_EQ(back.colour, EntityOverlays::kBarBackgroundColour);
    EXPECT_FLOAT_EQ(back.right - back.left, EntityOverlays::kBarWidth / 2.0f);
    EXPECT_FLOAT_EQ(back.bottom - back.top, EntityOverlays::kBarHeight / 2.0f);
    EXPECT_FLOAT_EQ((back.left + back.right) * 0.5f, 200.0f);
    EXPECT_FLOAT_EQ(back.top, 300.0f - EntityOverlays::kBarLift / 2.0f);
    EXPECT_NEAR((fill.right - fill.left) / (back.right - back.left), 0.3f, 1e-5f);

    // Health the network may carry past either end still fills 0..1.
    beast->health = -40;
    EXPECT_EQ(EntityOverlays::GetHealthFill(*beast), 0.0f);
    beast->health = 90;
    EXPECT_EQ(EntityOverlays::GetHealthFill(*beast), 1.0f);
    beast->maxHealth = 0;
    EXPECT_EQ(EntityOverlays::GetHealthFill(*beast), 1.0f);
}

TEST_F(ClientOverlays, ARunningTimerShowsItsBarBelowEvenWithoutAHealthBar)
{
    auto crate = Make("Crate", 20, 20);
    EntityOverlays::DrawBars(*crate, frame, canvas);
    EXPECT_TRUE(canvas.rects.empty());
    crate->timerElapsed = 3.0f;
    crate->timerDuration = 4.0f;
    EntityOverlays::DrawBars(*crate, frame, canvas);
    ASSERT_EQ(canvas.rects.size(), 2u);
    EXPECT_FLOAT_EQ(canvas.rects[0].top, 300.0f - EntityOverlays::kBarLift + EntityOverlays::kTimerGap);
    EXPECT_EQ(canvas.rects[1].colour, EntityOverlays::kTimerColour);
    EXPECT_NEAR(canvas.rects[1].right - canvas.rects[1].left, 0.75f * EntityOverlays::kBarWidth, 1e-4f);

    // A finished timer draws nothing; the bars' switch turns every bar off.
    canvas.rects.clear();
    crate->timerElapsed = 4.0f;
    EntityOverlays::DrawBars(*crate, frame, canvas);
    EXPECT_TRUE(canvas.rects.empty());
    auto beast = Make("Beast", 5, 20);
    frame.bars = false;
    EntityOverlays::DrawBars(*beast, frame, canvas);
    EXPECT_TRUE(canvas.rects.empty());
}
