// AttachmentTest -- Attachments: alternatives read from their lines, bad lines left out, the seeded random pick.
#include "rules/monsters/RecordWorld.h"
#include "rules/monsters/Attachment.h"

TEST_F(RecordWorld, AttachmentAlternativesAndRandomPick)
{
    LoadRecords("", RecordWorld::Records({
        "Lantern: Type Object",
        "Hats: Type Attachment; Alternative models/hat.mdl head; Alternative models/lamp.mdl hand 0.5 Lantern; "
            "Alternative models/bad.mdl; Alternative models/ghost.mdl back nan Missing",
        "Empty: Type Attachment",
    }));
    const Attachment* hats = gameData.FindAttachment("hats");
    ASSERT_NE(hats, nullptr);
    ASSERT_EQ(hats->alternatives.size(), 3u);
    EXPECT_EQ(hats->alternatives[0].tagName, "head");
    EXPECT_EQ(hats->alternatives[0].scale, 1.0f);
    EXPECT_EQ(hats->alternatives[0].record, nullptr);
    EXPECT_EQ(hats->alternatives[1].scale, 0.5f);
    EXPECT_EQ(hats->alternatives[1].record, database.FindEntryByName("Lantern"));
    EXPECT_EQ(hats->alternatives[2].scale, 1.0f);
    EXPECT_EQ(CountProblems(), 2);  // the line without a tag, the missing record

    for (int i = 0; i < 30; ++i) {
        RandomSystem expected = Copy();
        int32_t index = expected.RandomInt(RandomStream::GameData, 3);
        EXPECT_EQ(hats->PickRandom(), &hats->alternatives[static_cast<size_t>(index)]);
    }
    EXPECT_EQ(gameData.FindAttachment("Empty")->PickRandom(), nullptr);
    EXPECT_EQ(gameData.FindAttachment("Nothing"), nullptr);
}
