// ClientUiGameView -- the interface's view of the game over the client's mirrors: the game's flags, the local player's entity number and the mirrored entities.
#pragma once

#include "ui/UiGameView.h"

#include <vector>

class DatabaseEntry;
class EntityClient;
class StatusEffectClient;

// What the mirrors do not hold yet answers as "none".
class ClientUiGameView : public UiGameView {
public:
    bool IsGameRunning() const override;
    void GetHelpEntities(std::vector<int32_t>& out) const override;
    bool GetEntityScreenPoint(int32_t entity, float& x, float& y) const override;
    bool UseLeftButtonActionOn(int32_t entity) override;
    void ShowMessage(const std::string& text) override;
    bool HasLocalPlayer() const override;
    bool GetPlayerFlagBit(int32_t bit) const override;
    int32_t GetPlayerEntityNumber() const override;
    bool GetEntity(int32_t number, UiEntityFacts& out) const override;
    bool GetTargetEntity(UiEntityFacts& out) const override;
    int32_t GetPartyMember(int32_t n) const override;
    bool GetPlayerStat(int32_t index, int32_t& out) const override;
    std::string GetSkillTreeName(int32_t tree) const override;
    // The player's text sources (ClientUiGameViewPlayerTexts.cpp).
    std::string GetSkillName(int32_t tree, int32_t index) const override;
    bool GetBonusSkill(int32_t attribute, std::string& name, int32_t& nextLevel, int32_t& needed) const override;
    // The passive skills' flat change to the attribute at their levels; a skill that adds to the
    // base when it rises is already in the base.
    int32_t GetSkillAttributeBonus(int32_t attribute) const override;
    int32_t CountFilledSlots(int32_t bag, int32_t count) const override;
    std::string GetPlayerLevelName() const override;
    bool IsQuestTargetHere() const override;
    std::string GetEntityHoverName(int32_t entity, bool nameOnly, bool forAnyEntity, bool withOwnTag) const override;
    int32_t GetEntityTimedAction(int32_t entity) const override;
    std::string GetPlayerName() const override;
    std::string GetPlayerClassName() const override;
    bool HasProfile() const override;
    int32_t GetGlobalStatBest(int32_t statType, int32_t index) const override;
    std::string GetGlobalStatHolder(int32_t statType, int32_t index) const override;
    std::string GetProfileName() const override;
    int32_t GetProfileValue(int32_t index) const override;
    int32_t GetTrophyBand(std::string_view adventure) const override;
    bool ClassWonAdventure(std::string_view adventure, std::string_view className) const override;
    std::string GetUnlockReport() const override;
    bool GetStatusEffects(int32_t number, std::vector<UiStatusEffectFacts>& out, bool withTexts) const override;
    std::string GetDiplomacyResponse() const override;
    std::string GetPlayerTitle(bool withName) const override;
    int32_t GetHoveredEntity() const override;
    // What a click in reach would do.
    int32_t GetInteractionFor(int32_t entity) const override;
    // Placed over the top of the entity's screen box.
    bool GetHoverText(int32_t entity, std::string& text, bool& placed, float& x, float& y) const override;
    // The player's interaction target, or with allowSelected its opponent while in mode 3.
    int32_t GetTargetEntityNumber(bool allowSelected) const override;

    // ---- The player's quests and NPC talk (ClientUiGameViewQuests.cpp) ----
    // The player's interaction target.
    int32_t GetSelectedEntityNumber() const override;
    bool IsQuestSlotFilled(int32_t slot) const override;
    bool IsQuestSlotComplete(int32_t slot) const override;
    bool HoldsQuest(int32_t questNumber) const override;
    std::string GetQuestSlotTitle(int32_t slot) const override;
    std::string GetQuestSlotText(int32_t slot) const override;
    bool KnowsWorldQuest(int32_t questNumber) const override;
    bool GetOfferedQuestText(int32_t entity, int32_t questNumber, std::string& out) const override;
    int32_t FindQuestSlotSolvedBy(int32_t entity) const override;
    int32_t FindShortestTimeQuestSlot(float& secondsLeft) const override;
    std::string GetNpcChatText() const override;

    // ---- What the widgets' texts read (ClientUiGameViewTexts.cpp) ----
    const CharacterClass* GetEntityClass(int32_t number) const override;
    bool GetGameClock(TimeStamp& out) const override;
    bool GetBagFill(int32_t bag, int32_t& items, int32_t& slots) const override;
    bool GetPlayerFunStat(int32_t index, int32_t& out) const override;
    int32_t GetPlayerComputedValue(int32_t index) const override;
    int32_t GetWorldSecretCount() const override;
    std::string GetWorldEpilogue() const override;
    std::string GetWonGameText() const override;
    std::string GetLostGameText() const override;
    float GetAdventureRewardMultiplier() const override;
    bool GetAdventureTimeTests(bool& great, bool& good) const override;
    std::string GetWorldTimesText() const override;
    bool GetIdentifyAllCost(int32_t& cost) const override;
    const UserProfile* GetProfile() const override;
    void GetUnlockText(std::string_view name, std::string& out, bool descriptionOnly) const override;

    // ---- Story texts (ClientUiGameViewStory.cpp) ----
    std::string GetWorldName() const override;
    std::string GetWorldTextFile() const override;
    std::string GetPlayerTextFile() const override;
    std::string GetEntityHistoryFile(int32_t entity) const override;
    bool GetEntityRescue(int32_t entity, std::string& textFile, std::string& sound) const override;

    // ---- Covenants (ClientUiGameViewCovenants.cpp) ----
    int32_t GetPlayerCovenantIndex() const override;
    int32_t GetCovenantCount() const override;
    bool GetCovenant(int32_t index, UiCovenantFacts& out) const override;
    bool GetCovenantState(int32_t index, UiCovenantFacts& out) const override;
    bool AppendCovenantName(int32_t index, bool colored, std::string& out) const override;
    int32_t GetTreaty(int32_t from, int32_t to) const override;
    bool HasTradeRoute(int32_t a, int32_t b) const override;
    bool GetCovenantStat(int32_t covenant, int32_t index, int32_t& out) const override;
    int32_t GetCovenantByPower(int32_t position) const override;
    int32_t GetCovenantPowerRank(int32_t covenant) const override;
    int32_t GetCovenantInfluenceRank(int32_t covenant) const override;
    float GetOwnRelation(int32_t from, int32_t to) const override;
    int32_t GetTradeRouteIncome(int32_t covenant, int32_t partner) const override;
    int32_t GetTradePartner() const override;
    bool GetRumorCost(int32_t covenant, int32_t kind, int32_t& cost) const override;
    // The recruit of the player's covenant the player deals with.
    bool GetSelectedRecruitList(std::vector<int32_t>& entries) const override;
    float GetRelation(int32_t from, int32_t to) const override;
    int32_t GetTradeRouteKind(int32_t from, int32_t to) const override;
    bool HasCovenantMirror() const override;
    int32_t GetHistoryCount() const override;
    bool GetHistoryValue(int32_t point, int32_t covenant, int32_t value, int32_t& out) const override;
    int32_t FindDiplomacyRecord() const override;
    int32_t GetDiplomacyRecordKind(int32_t covenant) const override;
    void SetPlayerTrading(bool on) const override;
    void SetDiplomacyText(int32_t covenant, int32_t kind) const override;
    void ShowAllDiplomacyRecords() const override;
    void OfferHelpTopic(const std::string& topic) const override;
    // The local player's hint bits, which its character file keeps.
    bool IsHelpTopicRead(int32_t index) const override;
    void SetHelpTopicRead(int32_t index) const override;
    void SetAllHelpTopicsRead() const override;
    void ResetHelpTopics() const override;

private:
    void DescribeStatusEffect(const StatusEffectClient& effect, const DatabaseEntry& record,
                              const EntityClient& entity, int32_t number, UiStatusEffectFacts& facts) const;

    // The effects' list of the last status query, kept so that a query a frame allocates nothing.
    mutable std::vector<StatusEffectClient*> statusEffects;
};
