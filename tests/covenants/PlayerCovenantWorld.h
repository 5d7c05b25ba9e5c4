// PlayerCovenantWorld -- the covenant test world with the house's records, a player covenant in the host's list and the covenant block of a client's settings written as the client writes it.
#pragma once

#include "core/MessageBuffer.h"
#include "covenants/CovenantWorld.h"
#include "covenants/PlayerCovenant.h"
#include "covenants/PlayerHouseRecords.h"
#include "entities/Player.h"
#include "rules/RulesEnums.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

// A recruit as the client's settings carry it.
struct SettingsRecruit {
    int32_t number = 0;
    int32_t type = -1;
    int32_t level = 1;
};

// The covenant block of the settings datagram in the client's order: name, has-inventory and
// the inventory, loaded, then the recruit count, each recruit's number and record, the 15
// statistics without a count, the lifestone's health and maximum.
struct CovenantSettingsBlock {
    std::string name = "Ember Hall";
    bool hasInventory = false;
    const InventoryBase* inventory = nullptr;
    bool loaded = false;
    std::vector<SettingsRecruit> recruits;
    // Written as the count when set; the recruits' own count otherwise.
    int32_t countWord = -2;
    std::vector<int32_t> statistics = std::vector<int32_t>(CovenantStat::kCount, 0);
    int32_t health = 0;
    int32_t maxHealth = 0;

    void Write(MessageBuffer& buffer) const
    {
        buffer.WriteString(name);
        buffer.WriteBool(hasInventory);
        if (hasInventory)
            inventory->Write(buffer, false);
        buffer.WriteBool(loaded);
        if (!loaded)
            return;
        buffer.WriteInt(countWord == -2 ? static_cast<int32_t>(recruits.size()) : countWord);
        for (const SettingsRecruit& recruit : recruits) {
            buffer.WriteInt(recruit.number);
            WriteRecruit(buffer, recruit);
        }
        for (int32_t value : statistics)
            buffer.WriteInt(value);
        buffer.WriteInt(health);
        buffer.WriteInt(maxHealth);
    }

    // The recruit record: its type, the stat values, an empty inventory, no enhancements, the
    // name seed, no skills.
    static void WriteRecruit(MessageBuffer& buffer, const SettingsRecruit& recruit)
    {
        buffer.WriteInt(recruit.type);
        IntArray stats(RecruitBase::kStatCount);
        stats.Set(CharacterStat::Level, recruit.level);
        stats.WriteValues(buffer);
        Inventory empty;
        empty.Write(buffer, false);
        buffer.WriteInt(0);
        buffer.WriteUInt(4242);
        buffer.WriteInt(0);
    }
};

class PlayerCovenantWorld : public CovenantWorld {
protected:
    static constexpr int32_t kMaxRecruits = 4;
    // The house's tile: half of a level of 16 x 12 tiles of 64 units.
    static constexpr float kTileSize = 64.0f;
    static constexpr int32_t kHouseTileX = 8;
    static constexpr int32_t kHouseTileY = 6;


    // The test's own records load after the house's.
    explicit PlayerCovenantWorld(const std::string& moreRecords = "")
    {
        std::string actors = kActorRecords;
        const std::string head = "GameSystem\n{\n";
        actors.insert(actors.find(head) + head.size(),
                      "    MaxRecruits 4\n    StartPosition 0.5 0.5\n    LevelTileWidth 16\n    LevelTileHeight 12\n"
                      "    TileSize 64\n    MaxAdventureGroupSize 4\n    MaxRaidGroupSize 3\n");
        LoadRecords(actors + kCovenantRecords + kPlayerHouseRecords + moreRecords);
    }

    // The entities go while their covenants still stand.
    ~PlayerCovenantWorld() override { game.DestroyAll(); }

    int32_t Id(const char* record) const { return database.FindEntryByName(record)->GetId(); }

    // A player covenant in the host's list and the fake game's, its index given.
    PlayerCovenant& AddPlayerCovenant()
    {
        auto covenant = std::make_unique<PlayerCovenant>();
        PlayerCovenant& made = *covenant;
        host.Add(made);
        game.covenants.push_back(&made);
        playerCovenants.push_back(std::move(covenant));
        return made;
    }

    // A player of the class at x, y of level 0, bound to the covenant.
    Player* AddPlayer(PlayerCovenant& covenant, float x = 100.0f, float y = 100.0f)
    {
        auto* player = Spawn<Player>(x, y);
        covenant.SetPlayer(player);
        return player;
    }

    static MessageBuffer Written(const CovenantSettingsBlock& block)
    {
        MessageBuffer buffer;
        block.Write(buffer);
        buffer.SetReadPos(0);
        return buffer;
    }

    // The covenant reads a loaded settings block of 100 health with the recruits given, then is
    // placed in the world; false when it refused the block.
    static bool PlaceWithSettings(PlayerCovenant& covenant, std::vector<SettingsRecruit> recruits = {})
    {
        CovenantSettingsBlock block;
        block.loaded = true;
        block.recruits = std::move(recruits);
        block.health = block.maxHealth = 100;
        MessageBuffer buffer = Written(block);
        bool read = covenant.ReadSettings(buffer);
        covenant.PlaceInWorld();
        return read;
    }

    // The entities of the fake game's table made from the record.
    std::vector<Entity*> EntitiesOf(const char* record) const
    {
        std::vector<Entity*> found;
        for (int32_t number = 0; number < 1500; ++number)
            if (Entity* entity = game.GetEntity(number); entity && entity->GetEntry() &&
                                                         entity->GetEntry()->GetName() == record)
                found.push_back(entity);
        return found;
    }

    // The messages sent to the clients, in order.
    std::vector<std::string> Messages() const
    {
        std::vector<std::string> out;
        for (const std::string& line : game.lines)
            if (line.rfind("msg ", 0) == 0)
                out.push_back(line);
        return out;
    }

    static WorldPos Tile(int32_t x, int32_t y)
    {
        return At(static_cast<float>(x) * kTileSize, static_cast<float>(y) * kTileSize);
    }

    std::vector<std::unique_ptr<PlayerCovenant>> playerCovenants;
};
