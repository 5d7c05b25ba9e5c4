// CovenantClient -- the client's mirror of one covenant: its record of each game update, read whole and then taken.
#pragma once

#include "core/TimeStamp.h"
#include "resources/ResourceHandle.h"
#include "rules/covenants/CovenantBase.h"

#include <cstdint>
#include <string>
#include <vector>

class MessageBuffer;

class CovenantClient : public CovenantBase {
public:
    // One covenant's record as it arrived.
    struct Record {
        struct Relation {
            float value = 0.0f;
            int32_t treaty = 0;
            int32_t routeKind = 0;
            TimeStamp routeSince;
        };
        int32_t definitionIndex = -1;
        std::string name;
        int32_t homeLevel = -1;
        float homeX = 0.0f;
        float homeY = 0.0f;
        bool eliminated = false;
        int32_t influence[4] = {};  // adventure, competition, world, transferred
        int32_t guardCosts = 0;
        int32_t holdings[5] = {};   // people, items, life stone, house, money
        int32_t leaderLevel = 1;
        int32_t homeHealth = 0;
        int32_t homeMaxHealth = 0;
        std::vector<Relation> relations;  // one per covenant of the update
        int32_t recordWord1 = 0;
        std::vector<int32_t> traits;
        int32_t recordWord2 = 0;
        bool recordFlag = false;
        int32_t targetCovenant = -1;
    };

    static constexpr const char* kEliminatedSoundPath = "Sounds/covenantEliminated.ogg";
    // A relation toward the last covenant falling from above this to it or below offers the
    // local player the "LowRelation" help topic.
    static constexpr float kLowRelation = 45.0f;

    CovenantClient();

    // A record with a relation toward each of the update's covenantCount covenants; false for a
    // cut record, a bad count or more than kMaxCovenantTraits traits.
    static bool ReadRecord(MessageBuffer& buffer, int32_t covenantCount, Record& out);
    // Relations are held within 0..100; trait indices outside the game data's list are left out.
    // The covenant's fall is heard once, when a later record first says it.
    void Apply(const Record& record);
    // The definition's "SmallCrestName" texture, loaded on the first call; invalid without one.
    const ResourceHandle& GetSmallCrest();

    bool received = false;
    int32_t recordWord1 = 0;
    int32_t recordWord2 = 0;
    bool recordFlag = false;

protected:
    // The client game's covenant of that index; null outside its list.
    const CovenantBase* GetPartner(int32_t other) const override;
    TimeStamp GetGameTime() const override;

private:
    void ApplyRelations(const Record& record);

    ResourceHandle eliminatedSound;
    ResourceHandle smallCrest;
    bool crestAsked = false;
};
