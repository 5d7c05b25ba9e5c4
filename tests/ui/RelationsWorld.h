// RelationsWorld -- both halves in one process with covenants on: rival covenants on the world host, mirrored into the client, and the relations screen read from test layouts over the client's view, its lines and texts recorded.
#pragma once

#include "client/ClientMessages.h"
#include "client/PlayerClientWorld.h"
#include "client/PlayerCovenantClient.h"
#include "covenants/PlayerCovenant.h"
#include "covenants/PlayerHouseRecords.h"
#include "server/ServerCommands.h"
#include "ui/ClientUiGameView.h"
#include "ui/UISystem.h"
#include "ui/UiWorld.h"
#include "ui/widgets/UIRelationsMenu.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

struct RecordedLine {
    float x0 = 0.0f;
    float y0 = 0.0f;
    float x1 = 0.0f;
    float y1 = 0.0f;
    float width = 0.0f;
    Color color;
    uint16_t pattern = 0;
};

struct RecordedText {
    std::string text;
    float x = 0.0f;
    float y = 0.0f;
};

class RecordingCanvas : public RelationsCanvas {
public:
    void DrawLine(float x0, float y0, float x1, float y1, float width, const Color& color, uint16_t pattern) override
    {
        lines.push_back({x0, y0, x1, y1, width, color, pattern});
    }
    void DrawText(const std::string& text, float x, float y, const Color&) override { texts.push_back({text, x, y}); }
    // Lines of that width (relations 3, treaties 4, trade routes 1, the legend 2.5 and its others).
    std::vector<RecordedLine> OfWidth(float width) const
    {
        std::vector<RecordedLine> out;
        for (const RecordedLine& line : lines)
            if (line.width == width)
                out.push_back(line);
        return out;
    }
    void Clear()
    {
        lines.clear();
        texts.clear();
    }

    std::vector<RecordedLine> lines;
    std::vector<RecordedText> texts;
};

class RelationsWorld : public PlayerClientWorld {
protected:
    static constexpr const char* kRelationsRecords = R"(
Elves
{
    Type Covenant
    Name "$$CovenantElves$$"
}
TraitBold
{
    Type CovenantTrait
    Name "Bold"
    TextureName "Textures/Traits/bold.tga"
}
TraitWary
{
    Type CovenantTrait
    Name "Wary"
    TextureName "Textures/Traits/wary.tga"
}
ObjectPedestal
{
    Type Object
}
ArchetypeTown
{
    Type MonsterArchetype
    FactionName "Town"
}
ClassVillager
{
    Type Class
    PowerName "$$Zeal$$"
    Desc "$$ClassVillagerDesc$$"
    PowerGainOnKill 3
    PrimaryColor 0.25 0.5 0.75
    SecondaryColor 1 1 0
}
ActorVillager
{
    Type Actor
    Class ClassVillager
    Npc 1
    Radius 10
    TextFile "Texts/villager.txt"
    RescueTextFile "Texts/villagerRescued.txt"
    RescueSound "Sounds/thanks.ogg"
}
MonsterVillager
{
    Type MonsterType
    Archetype ArchetypeTown
    Definition ActorVillager
}
)";

    // Every page with a back button at the bottom; the raid page's list rows come from "testRaiders".
    static std::string PageLayout(const std::string& name)
    {
        std::string text = "MenuType Menu\nname " + name + "\nsubMenu 1\n"
                           "Widget { internalName Back position 0 440 size 100 30 canClick 1 addCommand \"ShowRelations\" }\n";
        if (name == "RelationsRaid")
            text += "List { internalName RaidNpcList position 100 100 size 200 300 itemHeight 20 infoProc testRaiders "
                    "canSelectMultiple 1 canClick 1 }\n"
                    "Widget { internalName Go position 400 440 size 100 30 canClick 1 addCommand \"StartRaid\" }\n";
        if (name == "RelationsPowerCompare")
            for (int k = 0; k < 5; ++k)
                text += "Widget { internalName Power" + std::to_string(k) + " position " + std::to_string(100 * k) +
                        " 400 size 90 20 text Power canClick 1 addCommand \"TogglePower " + std::to_string(k) + "\" }\n";
        return text;
    }

    RelationsWorld()
    {
        gTimerSystem = &clock;
        gInputSystem = &input;
        clock.UpdateClock();
    }

    ~RelationsWorld() override
    {
        ui.reset();
        gUISystem = nullptr;
        gInputSystem = nullptr;
        gTimerSystem = nullptr;
    }

    // The player's covenant (index 0) and the rivals on the host, mirrored; the layouts but the
    // pages left out; the UI system with the relations screen over the client's view.
    void Start(int32_t rivals, const std::vector<std::string>& leftOut = {}, const std::string& moreTuning = "",
               const std::string& moreRecords = "")
    {
        StartWorld("UsingCovenants 1\nMaxRecruits 4\nStartPosition 0.5 0.5\n" + moreTuning,
                   std::string(kPlayerHouseRecords) + kRelationsRecords + moreRecords);
        MakePlayer();
        player->SetCovenant(&own);
        ServerCommands::Register(host->GetClientCommands());
        Join();
        for (int32_t i = 0; i < rivals; ++i) {
            auto covenant = std::make_unique<PlayerCovenant>();
            covenant->SetDefinitionByName("Elves");
            covenant->name = "Rival " + std::to_string(i + 1);
            covenant->SetHomeMaxHealth(300);
            covenant->SetHomeHealth(150);
            game->AddCovenant(std::move(covenant));
        }
        for (int32_t i = 0; i < game->GetCovenantCount(); ++i)
            for (int32_t j = 0; j < game->GetCovenantCount(); ++j)
                if (i != j)
                    game->GetCovenant(i)->SetRelation(j, 50.0f);
        folder.Write("Assets/UI/relations.mnu", "MenuType RelationsMenu\nposition 0 0\nsize 640 480\n");
        for (const char* page : {"RelationsMain", "RelationsDiplomacy", "RelationsTradeRequest", "RelationsTradeResponse",
                                 "RelationsPowerCompare", "RelationsInfluenceCompare", "RelationsWinProgress",
                                 "RelationsRaid", "RelationsTrade", "RelationsTradeItems", "RelationsTreaties"})
            if (std::find(leftOut.begin(), leftOut.end(), page) == leftOut.end())
                folder.Write("Assets/UI/" + std::string(page) + ".mnu", PageLayout(page));
        gCommandSystem->RegisterInfoProc("testRaiders", [](std::vector<ListEntry>& rows) {
            for (int32_t i = 0; i < 12; ++i)
                rows.push_back(ListEntry{"Raider " + std::to_string(i), "", "", std::to_string(100 + i), 1});
        });
        ui = std::make_unique<UISystem>();
        gUISystem = ui.get();
        ui->SetGameView(&view);
        ui->RegisterCommands();
        ui->settings.relationsCenter[0] = 320.0f;
        ui->settings.relationsCenter[1] = 240.0f;
        ui->settings.relationsRadius = 160.0f;
        ui->settings.minRelationForColoring = 20.0f;
        ui->settings.maxRelationForColoring = 80.0f;
        menu = dynamic_cast<UIRelationsMenu*>(ui->FindMenu("CovenantRelations"));
        ASSERT_NE(menu, nullptr);
        menu->SetCanvas(&canvas);
        Sync();
    }

    // The host's next update reaches the mirrors, then the menus update.
    void Sync()
    {
        for (int i = 0; i < 3; ++i)
            ClientFrame(0);
        ui->Update(0.0f);
    }

    void Open()
    {
        ui->PushMenuByName("CovenantRelations");
        ui->Update(0.0f);
    }

    // One frame of the menus drawn, the recording cleared first.
    void Draw()
    {
        canvas.Clear();
        ui->Update(0.0f);
        menu->Draw();
    }

    bool Press(int32_t x, int32_t y, int32_t button = 0)
    {
        input.cursorAt[0] = x;
        input.cursorAt[1] = y;
        input.UpdateCursor();
        bool taken = ui->HandleMouseButton(button, true, x, y);
        ui->HandleMouseButton(button, false, x, y);
        return taken;
    }

    // The centre of covenant i's card as the ring placed it.
    std::array<int32_t, 2> CardCentre(int32_t i) const
    {
        const UIMenu& card = *menu->covenantCards[static_cast<size_t>(i)].card;
        return {static_cast<int32_t>(std::lround(card.position[0] + 32.0f)),
                static_cast<int32_t>(std::lround(card.position[1] + 32.0f))};
    }

    // The lines the client queued for the world host.
    std::vector<std::string> Queued() const { return {app->GetQueuedLines().begin(), app->GetQueuedLines().end()}; }

    UiTestClock clock;
    UiTestInput input;
    ClientUiGameView view;
    PlayerCovenantClient own;
    std::unique_ptr<UISystem> ui;
    UIRelationsMenu* menu = nullptr;
    RecordingCanvas canvas;
};
