// RelationGraphTest -- the lines of the relations screen's main page between the cards on the ring, from covenants set on the world host and mirrored: where each line lies, its colour, width and pattern, which pairs get none, and the legend.
#include "ui/RelationsWorld.h"

#include "core/ColorSystem.h"

#include <cmath>

namespace {

class RelationGraph : public RelationsWorld {
protected:
    // The player's covenant and three rivals: with the player's first, covenant i takes slot i,
    // so 0 stands above the centre, 1 left of it, 2 below and 3 right.
    void SetUp() override
    {
        Start(3);
        Open();
    }

    void SetBothWays(int32_t a, int32_t b, float relation)
    {
        game->GetCovenant(a)->SetRelation(b, relation);
        game->GetCovenant(b)->SetRelation(a, relation);
    }

    // The lines of that width whose ends lie on the two points, in either order.
    std::vector<RecordedLine> Between(float width, float ax, float ay, float bx, float by) const
    {
        std::vector<RecordedLine> out;
        auto near = [](float a, float b) { return std::fabs(a - b) < 0.01f; };
        for (const RecordedLine& line : canvas.OfWidth(width))
            if ((near(line.x0, ax) && near(line.y0, ay) && near(line.x1, bx) && near(line.y1, by)) ||
                (near(line.x0, bx) && near(line.y0, by) && near(line.x1, ax) && near(line.y1, ay)))
                out.push_back(line);
        return out;
    }

    // The legend's lines: those from x 80 to 160.
    std::vector<float> LegendRows() const
    {
        std::vector<float> rows;
        for (const RecordedLine& line : canvas.lines)
            if (line.x0 == 80.0f && line.x1 == 160.0f)
                rows.push_back(line.y0);
        return rows;
    }
};

} // namespace

TEST_F(RelationGraph, EveryPairOfSelectedCardsIsJoinedAtTheRingPositionsWithTheLocalCovenantAtTheTop)
{
    Draw();
    ASSERT_EQ(canvas.OfWidth(3.0f).size(), 6u);
    EXPECT_EQ(Between(3.0f, 320.0f, 80.0f, 160.0f, 240.0f).size(), 1u);
    EXPECT_EQ(Between(3.0f, 320.0f, 80.0f, 320.0f, 400.0f).size(), 1u);
    EXPECT_EQ(Between(3.0f, 160.0f, 240.0f, 480.0f, 240.0f).size(), 1u);
    for (const RecordedLine& line : canvas.OfWidth(3.0f))
        EXPECT_EQ(line.pattern, 0xFFFF);
    // The cards are centred on their places.
    EXPECT_EQ(CardCentre(0), (std::array<int32_t, 2>{320, 80}));
    EXPECT_EQ(CardCentre(1), (std::array<int32_t, 2>{160, 240}));
    // Without treaties or routes, and simplified, the legend has its first line only.
    EXPECT_EQ(LegendRows(), (std::vector<float>{136.0f}));
    gUserVarSystem->SetStringByName("rel_simplify", "0");
    Draw();
    EXPECT_EQ(LegendRows(), (std::vector<float>{136.0f, 231.0f, 326.0f}));
}

TEST_F(RelationGraph, TreatyAndTradeLinesLieFourPixelsEitherSideOfAHorizontalAndAVerticalPair)
{
    // 1 and 3 face each other across the centre; 0 and 2 above and below it.
    game->GetCovenant(1)->SetTreatyState(3, 2);
    game->GetCovenant(1)->SetTradeRouteKind(3, 3);
    Sync();
    // The graph reads the player's side from the player's own covenant mirror.
    own.SetTreatyState(2, 4);
    own.SetTradeRouteKind(2, 1);
    Draw();
    std::vector<RecordedLine> treaty = Between(4.0f, 160.0f, 244.0f, 480.0f, 244.0f);
    std::vector<RecordedLine> trade = Between(1.0f, 160.0f, 236.0f, 480.0f, 236.0f);
    ASSERT_EQ(treaty.size(), 1u);
    ASSERT_EQ(trade.size(), 1u);
    EXPECT_EQ(treaty[0].pattern, 0xF0F0);
    EXPECT_EQ(trade[0].pattern, 0xCCCC);
    EXPECT_EQ(Between(4.0f, 316.0f, 80.0f, 316.0f, 400.0f).size(), 1u);
    EXPECT_EQ(Between(1.0f, 324.0f, 80.0f, 324.0f, 400.0f).size(), 1u);
    // Two of each beside the legend's; the simplified legend shows both kinds now drawn.
    EXPECT_EQ(canvas.OfWidth(4.0f).size(), 3u);
    EXPECT_EQ(canvas.OfWidth(1.0f).size(), 3u);
    EXPECT_EQ(LegendRows(), (std::vector<float>{136.0f, 231.0f, 326.0f}));

    gUserVarSystem->SetStringByName("rel_showTreaties", "0");
    gUserVarSystem->SetStringByName("rel_showTradeRoutes", "0");
    Draw();
    EXPECT_EQ(canvas.OfWidth(4.0f).size(), 0u);
    EXPECT_EQ(canvas.OfWidth(1.0f).size(), 0u);
    EXPECT_EQ(canvas.OfWidth(3.0f).size(), 6u);
}

TEST_F(RelationGraph, TheRelationColourRunsFromRedAtTheLowValueToGreenAtTheHigh)
{
    const std::pair<float, Color> cases[] = {
        {20.0f, Color{1.0f, 0.0f, 0.0f}}, {10.0f, Color{1.0f, 0.0f, 0.0f}}, {50.0f, Color{0.5f, 0.5f, 0.0f}},
        {80.0f, Color{0.0f, 1.0f, 0.0f}}, {95.0f, Color{0.0f, 1.0f, 0.0f}}};
    for (const auto& [relation, expected] : cases) {
        SetBothWays(1, 2, relation);
        Sync();
        Draw();
        std::vector<RecordedLine> line = Between(3.0f, 160.0f, 240.0f, 320.0f, 400.0f);
        ASSERT_EQ(line.size(), 1u) << relation;
        EXPECT_NEAR(line[0].color.r, expected.r, 1e-4) << relation;
        EXPECT_NEAR(line[0].color.g, expected.g, 1e-4) << relation;
        EXPECT_NEAR(line[0].color.b, expected.b, 1e-4) << relation;
    }
}

TEST_F(RelationGraph, AFallenCovenantAndPairsOfUnselectedCardsGetNoLine)
{
    game->GetCovenant(2)->eliminated = true;
    Sync();
    Draw();
    EXPECT_EQ(canvas.OfWidth(3.0f).size(), 3u) << "the pairs among 0, 1 and 3";
    EXPECT_TRUE(Between(3.0f, 320.0f, 80.0f, 320.0f, 400.0f).empty());
    EXPECT_TRUE(menu->covenantCards[2].eliminatedSign->visible);
    EXPECT_FALSE(menu->covenantCards[1].eliminatedSign->visible);

    // One selected card keeps its own pairs.
    for (int32_t i : {0, 1, 3})
        if (i != 1)
            Press(CardCentre(i)[0], CardCentre(i)[1], 1);
    Draw();
    EXPECT_EQ(canvas.OfWidth(3.0f).size(), 2u) << "1 with 0 and with 3";
    Press(CardCentre(1)[0], CardCentre(1)[1], 1);
    Draw();
    EXPECT_TRUE(canvas.OfWidth(3.0f).empty());
    EXPECT_EQ(LegendRows(), (std::vector<float>{136.0f}));
    // An unselected card's name takes colour 4, a selected one colour 0.
    Press(CardCentre(3)[0], CardCentre(3)[1], 1);
    Draw();
    const Color grey = UIRelationsMenu::TableColor(4);
    const Color plain = UIRelationsMenu::TableColor(0);
    if (gColorSystem) {
        ASSERT_NE(grey.r + grey.g + grey.b, plain.r + plain.g + plain.b);
    }
    EXPECT_EQ(menu->covenantCards[1].nameWidget->color.g, grey.g);
    EXPECT_EQ(menu->covenantCards[3].nameWidget->color.g, plain.g);
}

TEST_F(RelationGraph, TheRingPutsTheLocalCovenantFirstWhereverItStandsInTheList)
{
    FakeGameView four;
    four.running = true;
    four.playerCovenant = 2;
    four.covenants.resize(4);
    ui->SetGameView(&four);
    Draw();
    // Covenants 2, 0, 1, 3 take slots 0 (top), 1 (left), 2 (bottom) and 3 (right).
    EXPECT_EQ(CardCentre(2), (std::array<int32_t, 2>{320, 80}));
    EXPECT_EQ(CardCentre(0), (std::array<int32_t, 2>{160, 240}));
    EXPECT_EQ(CardCentre(1), (std::array<int32_t, 2>{320, 400}));
    EXPECT_EQ(CardCentre(3), (std::array<int32_t, 2>{480, 240}));
    ui->SetGameView(&view);
}
