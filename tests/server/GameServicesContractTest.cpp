// GameServicesContractTest -- the server's game passes the contract every game behind GameServices must pass.
#include "entities/GameServicesContract.h"
#include "server/ScriptedGame.h"

namespace {

class RealGameHarness {
public:
    RealGameHarness() : row(1)
    {
        game.ResetLevels();
        gGameServices = &game;
    }
    ~RealGameHarness() { gGameServices = nullptr; }

    GameServices& Services() { return game; }
    void Step() { game.Update(0.05f); }
    int32_t CountPendingActions() const { return game.CountPendingTimedActions(); }
    void SetPlayers(std::vector<Sentient*> players) { game.SetPlayers(std::move(players)); }
    void SetRelationship(int32_t code) { game.relationship = code; }
    void BlockBodies(std::function<bool(const WorldPos&)> test) { game.bodyBlocked = std::move(test); }
    void BlockCells(std::function<bool(const WorldPos&)> test) { game.cellBlocked = std::move(test); }
    void BlockLines(std::function<bool(const WorldPos&, const WorldPos&)> test) { game.lineBlocked = std::move(test); }
    const std::vector<std::string>& QueuedLines() { return game.GetClientLines(); }
    void DestroyAll() { game.Reset(); }

private:
    RowWorld row;
    ScriptedGame game;
};

} // namespace

INSTANTIATE_TYPED_TEST_SUITE_P(Server, GameServicesContract, RealGameHarness);
