// GameServicesContractTest -- the fake game behind GameServices passes the contract every game must pass.
#include "entities/FakeGameServices.h"
#include "entities/GameServicesContract.h"

namespace {

class FakeGameHarness {
public:
    FakeGameHarness() { gGameServices = &game; }
    ~FakeGameHarness() { gGameServices = nullptr; }

    GameServices& Services() { return game; }
    void Step() { game.Step(); }
    int32_t CountPendingActions() const { return game.CountPendingActions(); }
    void SetPlayers(std::vector<Sentient*> players) { game.players = std::move(players); }
    void SetRelationship(int32_t code) { game.relationship = code; }
    void BlockBodies(std::function<bool(const WorldPos&)> test) { game.bodyBlocked = std::move(test); }
    void BlockCells(std::function<bool(const WorldPos&)> test) { game.cellBlocked = std::move(test); }
    void BlockLines(std::function<bool(const WorldPos&, const WorldPos&)> test) { game.lineBlocked = std::move(test); }
    const std::vector<std::string>& QueuedLines() const { return game.lines; }
    void DestroyAll() { game.DestroyAll(); }

private:
    FakeGameServices game;
};

} // namespace

INSTANTIATE_TYPED_TEST_SUITE_P(Fake, GameServicesContract, FakeGameHarness);
