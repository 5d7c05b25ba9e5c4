// UITextSourceBench -- one frame's rebuild of 150 widgets' text sources (levels, stats, shelves, key names, ranks, win progress) over a game view of 32 covenants, and apart the relations text of each of the 32 covenant cards, with the allocations they make.
#include "BenchAllocations.h"
#include "core/CommandSystem.h"
#include "core/DebugSystem.h"
#include "core/EnumTable.h"
#include "core/UserVarSystem.h"
#include "ui/UISystem.h"
#include "ui/UIWidget.h"
#include "ui/UiGameView.h"

#include <benchmark/benchmark.h>
#include <memory>
#include <vector>

namespace {

constexpr int32_t kTextSourceBenchCovenants = 32;
constexpr int32_t kTextSourceBenchWidgets = 150;

// A game of 32 covenants, the player's last, and a joined player of level 20 watching a monster.
class TextSourceBenchView : public UiGameView {
public:
    bool HasLocalPlayer() const override { return true; }
    int32_t GetPlayerEntityNumber() const override { return 1; }
    int32_t GetSelectedEntityNumber() const override { return 2; }
    bool GetPlayerStat(int32_t index, int32_t& out) const override
    {
        out = index * 37;
        return true;
    }
    bool GetEntity(int32_t number, UiEntityFacts& out) const override
    {
        out = UiEntityFacts{};
        out.level = number == 1 ? 20 : 23;
        return number == 1 || number == 2;
    }
    int32_t GetPlayerCovenantIndex() const override { return kTextSourceBenchCovenants - 1; }
    int32_t GetCovenantCount() const override { return kTextSourceBenchCovenants; }
    bool GetCovenant(int32_t index, UiCovenantFacts& out) const override
    {
        out = UiCovenantFacts{};
        out.defeated = index % 5 == 0;
        out.name = "Covenant";
        out.coloredName = "^c004Covenant^c145";
        return index >= 0 && index < kTextSourceBenchCovenants;
    }
    // As the game's own view: the standing without the texts, and a name written into the text.
    bool GetCovenantState(int32_t index, UiCovenantFacts& out) const override
    {
        out = UiCovenantFacts{};
        out.defeated = index % 5 == 0;
        return index >= 0 && index < kTextSourceBenchCovenants;
    }
    bool AppendCovenantName(int32_t index, bool colored, std::string& out) const override
    {
        if (index < 0 || index >= kTextSourceBenchCovenants)
            return false;
        out += colored ? "^c004Covenant^c145" : "Covenant";
        return true;
    }
    float GetOwnRelation(int32_t from, int32_t to) const override { return static_cast<float>((from * 7 + to) % 100); }
    int32_t GetTreaty(int32_t, int32_t to) const override { return to % 3 == 0 ? 6 : 1; }
    int32_t GetCovenantByPower(int32_t position) const override
    {
        return position < kTextSourceBenchCovenants ? kTextSourceBenchCovenants - 1 - position : -1;
    }
};

// The systems a widget's text reads, set up and taken down around one benchmark.
class TextSourceBenchSystems {
public:
    TextSourceBenchSystems()
    {
        gDebugSystem = &debug;
        gCommandSystem = &commands;
        gUserVarSystem = &vars;
        commands.RegisterCommands();
        ui = std::make_unique<UISystem>();
        gUISystem = ui.get();
        ui->SetGameView(&view);
    }
    ~TextSourceBenchSystems()
    {
        ui.reset();
        gUISystem = nullptr;
        gUserVarSystem = nullptr;
        gCommandSystem = nullptr;
        gDebugSystem = nullptr;
    }

private:
    DebugSystem debug;
    CommandSystem commands;
    UserVarSystem vars;
    TextSourceBenchView view;
    std::unique_ptr<UISystem> ui;
};

// Every widget's text rebuilt once a frame, the allocations counted.
void TextSourceBenchRun(benchmark::State& state, std::vector<std::unique_ptr<UIWidget>>& widgets)
{
    BenchAllocations::Reset();
    for (auto _ : state) {
        BenchAllocations::SetCounting(true);
        for (auto& widget : widgets)
            widget->RefreshText();
        BenchAllocations::SetCounting(false);
        benchmark::DoNotOptimize(widgets.front()->text.data());
    }
    state.counters["allocations/frame"] =
        static_cast<double>(BenchAllocations::Count()) / static_cast<double>(state.iterations());
}

void UITextSourceFrame(benchmark::State& state)
{
    TextSourceBenchSystems systems;
    const int32_t mix[][2] = {{12, -1}, {91, -1}, {22, 3}, {34, -1}, {61, -1}, {52, -1}, {62, -1}, {14, -1}};
    std::vector<std::unique_ptr<UIWidget>> widgets;
    for (int32_t i = 0; i < kTextSourceBenchWidgets; ++i) {
        auto widget = std::make_unique<UIWidget>();
        widget->entityType = i % 2 == 0 ? 2 : 5;
        const int32_t* piece = mix[i % std::size(mix)];
        widget->textSource.push_back(TextSourceElement{piece[0], piece[1], piece[0] == 91 ? "Level" : "Name"});
        widgets.push_back(std::move(widget));
    }
    TextSourceBenchRun(state, widgets);
}
BENCHMARK(UITextSourceFrame)->Unit(benchmark::kMicrosecond);

// "RelationWithPlayerCovenant" on each covenant's card: every other covenant standing, each line.
void UITextSourceRelations(benchmark::State& state)
{
    TextSourceBenchSystems systems;
    constexpr int32_t kRelationSource = 53;
    constexpr int32_t kEnemyCovenant = 7;
    std::vector<std::unique_ptr<UIWidget>> widgets;
    for (int32_t i = 0; i < kTextSourceBenchCovenants; ++i) {
        auto widget = std::make_unique<UIWidget>();
        widget->entityType = kEnemyCovenant;
        widget->entityIndex = i;
        widget->textSource.push_back(TextSourceElement{kRelationSource, -1, ""});
        widgets.push_back(std::move(widget));
    }
    TextSourceBenchRun(state, widgets);
}
BENCHMARK(UITextSourceRelations)->Unit(benchmark::kMicrosecond);

} // namespace
