// PlayerCovenantLinesTest -- the player covenant's diplomacy as its own client's lines (offers, answers, expiries) and relation changes as messages with one, two or three decimals.
#include "covenants/PlayerCovenantWorld.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

class PlayerCovenantLines : public PlayerCovenantWorld {
protected:
    PlayerCovenantLines() : covenant(AddPlayerCovenant()), other(AddCovenant("CovenantOther"))
    {
        player = AddPlayer(covenant);
    }

    static Offer MakeOffer(int32_t type, std::vector<OfferEntry> entries)
    {
        Offer offer;
        offer.type = type;
        offer.entries = std::move(entries);
        return offer;
    }

    // The lines addressed to the player, in order.
    std::vector<std::string> PlayerLines() const
    {
        std::vector<std::string> out;
        for (const auto& [number, line] : game.playerLines) {
            EXPECT_EQ(number, player->entityNumber) << line;
            out.push_back(line);
        }
        return out;
    }


    PlayerCovenant& covenant;
    PlainCovenant& other;
    Player* player = nullptr;
};

TEST_F(PlayerCovenantLines, OffersAnswersAndExpiriesBecomeThePlayersLines)
{
    covenant.ReceiveOffer(other, MakeOffer(1, {{0, 8, 50}, {1, 2, 0}, {2, 11, (3 << 16) | 2}}));
    covenant.ReceiveOffer(other, MakeOffer(0, {}));
    covenant.OnOfferResult(other, 5);
    covenant.OnOfferExpired(other);
    std::vector<std::string> expected = {"offerToPlayer 1 1 0 8 50 1 2 0 2 11 196610", "offerToPlayer 0 1",
                                         "dipRes 5 1", "offerExpired 1"};
    EXPECT_EQ(PlayerLines(), expected);
    EXPECT_TRUE(host.calls.empty());
}

TEST_F(PlayerCovenantLines, AnAnswerCarriesOutAnAcceptedOfferAndOffersACounterOfferAgain)
{
    Offer counter = MakeOffer(3, {{1, 6, 200}});
    // A counter-offer answered 2 comes to the player again, before the answer.
    covenant.OnOfferAnswered(other, counter, false, 2);
    // Answered otherwise, or another type answered 2, it does not.
    covenant.OnOfferAnswered(other, counter, false, 1);
    covenant.OnOfferAnswered(other, MakeOffer(0, {{1, 6, 200}}), false, 2);
    EXPECT_TRUE(host.calls.empty());
    covenant.OnOfferAnswered(other, MakeOffer(0, {{0, 8, 10}, {1, 9, 2}}), true, 0);
    std::vector<std::string> expected = {"offerToPlayer 3 1 1 6 200", "dipRes 2 1", "dipRes 1 1", "dipRes 2 1",
                                         "dipRes 0 1"};
    EXPECT_EQ(PlayerLines(), expected);
    EXPECT_EQ(host.calls, std::vector<std::string>{"execute 0 1 2"});
}

TEST_F(PlayerCovenantLines, WithoutAPlayerNoClientHearsAnything)
{
    PlayerCovenant& alone = AddPlayerCovenant();
    alone.ReceiveOffer(other, MakeOffer(1, {{0, 8, 50}}));
    alone.OnOfferResult(other, 1);
    alone.OnOfferExpired(other);
    EXPECT_TRUE(game.lines.empty());
}

TEST_F(PlayerCovenantLines, RelationChangesShowOneTwoOrThreeDecimals)
{
    struct Case {
        float change;
        const char* shown;
    };
    const Case cases[] = {
        {0.05f, "+0.05"},  {-2.5f, "-2.5"},   {1.5f, "+1.5"},     {0.11f, "+0.1"},  {0.1f, "+0.10"},
        {-0.1f, "-0.10"},  {0.02f, "+0.02"},  {0.01f, "+0.010"},  {0.001f, "+0.001"}, {-0.0004f, "-0.000"},
        {25.0f, "+25.0"},
    };
    for (const Case& check : cases) {
        game.lines.clear();
        covenant.DescribeRelationChange(&other, check.change);
        std::vector<std::string> expected = {std::string("msg 6 \"") + check.shown + " $$relation$$ (covenant 1)\""};
        EXPECT_EQ(Messages(), expected) << check.change;
    }
}

TEST_F(PlayerCovenantLines, NoChangeNoNumberAndNoLivingCovenantShowNothing)
{
    for (float change : {0.0f, -0.0f, std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                         -std::numeric_limits<float>::infinity()})
        covenant.DescribeRelationChange(&other, change);
    covenant.DescribeRelationChange(nullptr, 3.0f);
    other.eliminated = true;
    covenant.DescribeRelationChange(&other, 3.0f);
    EXPECT_TRUE(Messages().empty());
}
