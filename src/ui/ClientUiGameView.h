// ClientUiGameView -- the interface's view of the game over the client's mirrors: the game's flags, the local player's entity number and the mirrored entities.
#pragma once

#include "ui/UiGameView.h"

// What the mirrors do not hold yet (the player's quests, covenants, the profile)
// answers as "none".
class ClientUiGameView : public UiGameView {
public:
    bool IsGameRunning() const override;
    void GetHelpEntities(std::vector<int32_t>& out) const override;
    bool GetEntityScreenPoint(int32_t entity, float& x, float& y) const override;
    bool UseLeftButtonActionOn(int32_t entity) override;
    void ShowMessage(const std::string& text) override;
    bool HasLocalPlayer() const override;
    int32_t GetPlayerEntityNumber() const override;
    bool GetEntity(int32_t number, UiEntityFacts& out) const override;
    bool GetPlayerStat(int32_t index, int32_t& out) const override;
    std::string GetSkillTreeName(int32_t tree) const override;
    std::string GetPlayerName() const override;
    std::string GetPlayerClassName() const override;
    bool HasProfile() const override;
    int32_t GetGlobalStatBest(int32_t statType, int32_t index) const override;
    std::string GetGlobalStatHolder(int32_t statType, int32_t index) const override;
    std::string GetProfileName() const override;
    bool GetStatusEffects(int32_t number, std::vector<UiStatusEffectFacts>& out) const override;
    std::string GetDiplomacyResponse() const override;
    std::string GetPlayerTitle(bool withName) const override;
    int32_t GetHoveredEntity() const override;
    // What a click in reach would do.
    int32_t GetInteractionFor(int32_t entity) const override;
    // Placed over the top of the entity's screen box.
    bool GetHoverText(int32_t entity, std::string& text, bool& placed, float& x, float& y) const override;
};
