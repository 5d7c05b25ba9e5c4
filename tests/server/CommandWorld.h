// CommandWorld -- the server command tests' world: the real game with its later answers scripted, a player with a covenant, and the commands registered in a command system of their own.
#pragma once

#include "server/GameWorld.h"
#include "server/SpyCovenant.h"

#include "entities/ScriptedQuest.h"

#include "core/CommandSystem.h"
#include "entities/Actor.h"
#include "entities/Player.h"
#include "server/ServerCommands.h"

#include <memory>
#include <sstream>
#include <string>
#include <vector>

// Writes every deal, answer and covenant request into the shared log.
class DealCovenant : public SpyCovenant {
public:
    explicit DealCovenant(std::vector<std::string>* log) : SpyCovenant(log), log(log)
    {
        statistics.SetCount(CovenantStat::kCount);
    }

    void ReceiveOffer(Covenant& from, const TradeOffer& offer) override
    {
        Note("offer from " + std::to_string(from.index) + " " + Describe(offer));
    }
    void OnOfferAnswered(Covenant& from, const TradeOffer& offer, bool accepted, int32_t extra) override
    {
        Note("result from " + std::to_string(from.index) + " " + Describe(offer) + " accepted " +
             std::to_string(accepted) + " " + std::to_string(extra));
    }
    const TradeOffer* GetPendingOffer(int32_t other) const override
    {
        return hasPending && other == pendingFor ? &pending : nullptr;
    }
    void OnOfferExecuted(const TradeOffer&, int32_t party, Covenant* other) override
    {
        Note("executed " + std::to_string(index) + " as " + std::to_string(party) + " with " +
             std::to_string(other ? other->index : -1));
    }
    void StartAdventuringWith(Covenant& other) override
    {
        Note("adventure " + std::to_string(index) + " " + std::to_string(other.index));
    }
    void StopAdventuringWith(Covenant&) override { Note("stop adventure " + std::to_string(index)); }
    // Counted, not logged: every deal of the others reaches every onlooker.
    void OnKillReport(const TradeOffer&, Covenant& maker, Covenant& accepter) override
    {
        reportsHeard.emplace_back(maker.index, accepter.index);
    }
    void JoinSharedRaid(Covenant& partner, Covenant& target) override
    {
        Note("joint raid " + std::to_string(index) + " " + std::to_string(partner.index) + " " +
             std::to_string(target.index));
    }
    bool IsRecruit(const Sentient& sentient) const override { return &sentient == recruit; }
    WorldPos FindSpotNearHome(const Entity*) const override { return recruitHome; }
    void KickOut(int32_t number) override { Note("kick out " + std::to_string(number)); }
    // Counted, not logged: a trade route's change calls the hook too.
    void OnCovenantHook(int32_t value) override { hooks.push_back(value); }
    void StopRaid() override { Note("stop raid " + std::to_string(index)); }
    void SuggestTrade(Covenant& to) override
    {
        Note("suggest " + std::to_string(index) + " to " + std::to_string(to.index));
    }
    Entity* GetLeader() const override { return leader; }
    Entity* GetHomeEntity() const override { return homeEntity; }
    int32_t CountRecruits() const override { return static_cast<int32_t>(recruits.size()); }
    Actor* GetRecruitActor(int32_t place) const override
    {
        return place >= 0 && place < CountRecruits() ? recruits[static_cast<size_t>(place)] : nullptr;
    }
    bool TakeRecruit(Sentient& npc) override
    {
        Note("take recruit " + std::to_string(npc.entityNumber));
        return true;
    }
    void SendRecruitToHouse(Sentient& npc) override { Note("to house " + std::to_string(npc.entityNumber)); }
    bool ReleaseFromHouse(Sentient& npc) override
    {
        Note("release " + std::to_string(npc.entityNumber));
        return true;
    }

    static std::string Describe(const TradeOffer& offer)
    {
        std::ostringstream text;
        text << "type " << offer.type << " items " << offer.itemsOnly << " [";
        for (const TradeOfferEntry& entry : offer.entries)
            text << " " << entry.side << "/" << entry.kind << "/" << entry.value;
        text << " ]";
        return text.str();
    }

    TradeOffer pending;
    bool hasPending = false;
    int32_t pendingFor = -1;
    const Sentient* recruit = nullptr;
    WorldPos recruitHome;
    Entity* leader = nullptr;
    Entity* homeEntity = nullptr;
    std::vector<Actor*> recruits;
    std::vector<std::pair<int32_t, int32_t>> reportsHeard;
    std::vector<int32_t> hooks;

private:
    void Note(const std::string& line)
    {
        if (log)
            log->push_back(line);
    }
    std::vector<std::string>* log;
};

// The real game, with the answers of its later parts written into the shared log.
class CommandGame : public ScriptedGame {
public:
    explicit CommandGame(std::vector<std::string>& log) : log(log) {}

    void AnnounceDiplomacy(int32_t first, int32_t second, int32_t treaty, bool silent) override
    {
        log.push_back("treaty " + std::to_string(first) + " " + std::to_string(second) + " " +
                      std::to_string(treaty) + " " + std::to_string(silent));
    }
    void SetTradeRoute(Covenant* first, Covenant* second, int32_t kind, bool silent) override
    {
        log.push_back("route " + std::to_string(first ? first->index : -1) + " " +
                      std::to_string(second ? second->index : -1) + " " + std::to_string(kind) + " " +
                      std::to_string(silent));
    }
    void StartRumor(int32_t level, Covenant* source, Covenant* target) override
    {
        log.push_back("rumor " + std::to_string(level) + " " + std::to_string(source->index) + " " +
                      std::to_string(target->index));
    }
    std::string GetNpcChat(Sentient&, Actor& actor) override
    {
        log.push_back("chat " + std::to_string(actor.entityNumber));
        return chat;
    }
    bool OfferQuestDelivery(Actor& actor, Player&) override
    {
        log.push_back("delivery " + std::to_string(actor.entityNumber));
        return questTakesDelivery;
    }
    std::string GetEntityDisplayName(Entity&) override { return "Orla the Smith"; }
    // The player's six slots, each kept for the test to read.
    std::unique_ptr<EntityQuest> CreatePlayerQuest() override
    {
        auto quest = std::make_unique<ScriptedQuest>();
        playerQuests.push_back(quest.get());
        return quest;
    }

    using Game::SetVictoryPending;

    std::string chat;
    bool questTakesDelivery = false;
    std::vector<ScriptedQuest*> playerQuests;

private:
    std::vector<std::string>& log;
};

class CommandWorld : public EntityRulesWorld {
protected:
    CommandWorld() : row(3)
    {
        Player::RegisterEventClass(events, types);
        LoadRecords(R"(
GameSystem
{
    GridSize 32
    MaxMoney 1000
    MaxRecruits 4
    MaxAdventureGroupSize 3
    IdentifyCost 10
    MinIdentifyTime 1
    BaseIdentifyTime 4
    IdentifyTimeIncreasePerLevel 2
    IdentifyTimeDecreasePerLevel 1
    SellFractionStart 0.5
    SellFractionEnd 0.5
}
ClassWanderer
{
    Type Class
    HealthPerVit 5
    StartVitality 10
}
Pebble
{
    Type Item
    ItemType Other
    MaxStack 5
    Value 4
}
Blade
{
    Type Item
    ItemType HandPrimary
    Value 60
}
Keepsake
{
    Type Item
    ItemType Other
    PickupText KeepsakeFound
}
Satchel
{
    Type Item
    ItemType Bag
    BagSize 2
}
Coins
{
    Type Money
}
Amulet
{
    Type Item
    ItemType Neck
    ModifiersAllowed 1
    MinLevel 3
}
Glinting
{
    Type MagicModifier
    Prefix 1
}
BaseFood
{
    Type Item
    BaseOnly 1
}
Ration
{
    Type Item
    Base BaseFood
    ItemType Other
    CanBeUsed 1
}
CovenantStern
{
    Type Covenant
    RelationForPeaceTreatyAverage 60
}
Plain
{
    Type Skill
    StatReq Strength
    PointsReq 5
    Power 10
    ReuseTime 3
}
)");
        game = std::make_unique<CommandGame>(log);
        game->ResetLevels();
        gGameServices = game.get();
        gGame = game.get();
        player = new Player();
        player->SetPosition(At(100.0f, 100.0f));
        EXPECT_EQ(game->AddEntity(player), 0);
        player->SetUpNew(0);
        mine = AddCovenant();
        player->covenantIndex = mine->index;
        ServerCommands::Register(commands);
    }

    ~CommandWorld() override
    {
        game->Reset();
        gGame = nullptr;
        gGameServices = nullptr;
    }

    DealCovenant* AddCovenant()
    {
        auto covenant = std::make_unique<DealCovenant>(&log);
        DealCovenant* raw = covenant.get();
        game->AddCovenant(std::move(covenant));
        return raw;
    }

    template <class T>
    T* Spawn(float x, float y)
    {
        auto* entity = new T();
        entity->SetPosition(At(x, y));
        EXPECT_NE(game->AddEntity(entity), -1);
        return entity;
    }

    bool Run(const std::string& line) { return commands.Execute(line, player); }

    // Everything a command could change, as one text.
    std::string Snapshot() const
    {
        std::ostringstream text;
        text << DealCovenant::Describe(game->GetTradeOffer()) << "|" << game->IsAlliedVictoryPending()
             << game->IsWinAwaitingConfirm() << game->IsWorldWonConfirmed() << game->IsGameOver() << "|"
             << game->CountEntities() << "|" << player->moveTargetValid << " " << player->skillTargetPosition.level
             << " " << player->skillTargetPosition.x << " " << player->skillTargetPosition.y << " "
             << player->health << " " << player->IsDead() << " " << player->position.level << " "
             << player->position.x << " " << player->position.y << " " << player->GetCharacterFlag(0) << "|";
        for (const std::string& line : log)
            text << line << ";";
        text << "|";
        for (const std::string& line : game->GetClientLines())
            text << line << ";";
        for (const ScriptedQuest* quest : game->playerQuests)
            text << "|" << quest->calls.size() << " " << quest->level << " " << quest->questId;
        return text.str();
    }

    RowWorld row;
    std::vector<std::string> log;
    std::unique_ptr<CommandGame> game;
    CommandSystem commands;
    Player* player = nullptr;
    DealCovenant* mine = nullptr;
};
