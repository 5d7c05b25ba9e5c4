// ServerCommands -- the player's own requests: warps, skills, deliveries, companions, quests and the NPC talked to.
#include "server/ServerCommands.h"

#include "core/LocSystem.h"
#include "core/StringUtil.h"
#include "covenants/Covenant.h"
#include "entities/Actor.h"
#include "entities/EntityQuest.h"
#include "entities/Gate.h"
#include "entities/Player.h"
#include "entities/Skill.h"
#include "entities/SkillList.h"
#include "rules/RulesEnums.h"
#include "server/Game.h"
#include "server/quests/GameQuests.h"
#include "server/quests/Quest.h"

#include <algorithm>
#include <vector>

namespace {

constexpr float kServerCommandsWarpConfirmRange = 0.5f;
constexpr int32_t kServerCommandsNoticeKind = 4;
// A request carried out: said in the middle of the screen and kept in the log.
constexpr int32_t kServerCommandsDoneKind = 2;
// The world map opened for travel, which the client enters at its own covenant's gate.
constexpr int32_t kServerCommandsTravelMode = 14;

WorldPos ServerCommandsPosition(const std::string& level, const std::string& x, const std::string& y)
{
    WorldPos position;
    position.level = ServerCommands::ToInt(level);
    position.x = ParseFloat(x);
    position.y = ParseFloat(y);
    return position;
}

// A quest or slot number as the client sent it. Mended: a word that is no number was read as 0,
// so "acceptQuest x" took world quest 0 and "declineQuest x" gave up the first slot's quest.
bool ServerCommandsQuestNumber(const std::string& text, int32_t& number)
{
    if (!IsIntegerText(text))
        return false;
    number = ServerCommands::ToInt(text);
    return true;
}

// Travel is chosen on the map the player's own covenant's gate opens: the living player stands
// at that gate in the travel mode. Mended: the three travel lines were taken at the client's
// word, so a hostile line moved a player anywhere at any time.
bool ServerCommandsAtOwnGate(const Player& player)
{
    const auto* gate = dynamic_cast<const Gate*>(player.GetInteractionTarget());
    return player.IsAlive() && player.interactionMode == kServerCommandsTravelMode && gate &&
           player.covenantIndex >= 0 && gate->covenantIndex == player.covenantIndex && player.IsWithinUseReach(*gate);
}

// The world holds one tutorial, the first player's: its tutor comes for that player, and a skip
// takes every recruit quest from the world. Mended: any client could end or restart it.
bool ServerCommandsMayTakeTutorial(Player& player)
{
    if (gGame && gGame->GetQuests().GetFirstPlayer() == &player)
        return true;
    player.SendMessage("$$TutorialFirstPlayerOnly$$", kServerCommandsNoticeKind);
    return false;
}

// The tutor's lessons are the first player's tutorial, dealt only by the game's own tutor.
// Mended: a second client took and handed in the first player's lessons at the tutor, and its
// last hand-in sent the tutor away while the first player's tutorial went on; a tutor fading
// out took a lesson back after the skip and began one no tutor would take.
bool ServerCommandsMayDealWithTutor(const Entity* npc, Player& player)
{
    if (!npc || npc->GetNpcType() != NpcType::Tutor)
        return true;
    return gGame && npc == gGame->GetTutor() && ServerCommandsMayTakeTutorial(player);
}

// The actor the player talks with, while it stands within the player's reach.
Actor* ServerCommandsTalkPartner(const Player& player)
{
    auto* partner = dynamic_cast<Actor*>(player.GetInteractionTarget());
    return partner && player.IsWithinUseReach(*partner) ? partner : nullptr;
}

// Quotes inside the line would end the client's argument early.
std::string ServerCommandsEscapeQuotes(const std::string& text)
{
    std::string escaped;
    for (char c : text) {
        if (c == '"')
            escaped += '\\';
        escaped += c;
    }
    return escaped;
}

} // namespace

void ServerCommands::WarpConfirm(const Args& args, Player* player)
{
    WorldPos position = ServerCommandsPosition(args[0], args[1], args[2]);
    if (IsUsablePosition(position) && position.IsWithinRange(player->moveTarget, kServerCommandsWarpConfirmRange))
        player->moveTargetValid = false;
}

void ServerCommands::UseSkill(const Args& args, Player* player)
{
    Entity* target = FindEntity(ToInt(args[2]));
    WorldPos mouse = ServerCommandsPosition(args[3], args[4], args[5]);
    if (!IsUsablePosition(mouse))
        return;
    player->UseSkillAt(mouse, ToInt(args[0]), ToInt(args[1]), target);
}

// Rescue, escort and delivery need the NPC beside the player. Mended: any number was taken, so
// a line could finish a rescue or a delivery from the other end of the world.
void ServerCommands::Rescue(const Args& args, Player* player)
{
    if (Actor* actor = FindActorInReach(*player, ToInt(args[0])))
        player->Rescue(*actor);
}

void ServerCommands::Escort(const Args& args, Player* player)
{
    if (Actor* actor = FindActorInReach(*player, ToInt(args[0])))
        player->Escort(*actor);
}

void ServerCommands::Delivery(const Args& args, Player* player)
{
    Actor* actor = FindActorInReach(*player, ToInt(args[0]));
    if (!actor || gGame->OfferQuestDelivery(*actor, *player))
        return;
    std::string name = gGame->GetEntityDisplayName(*actor);
    player->SendMessage(MakeLocToken("DontHavePackageForX", "%s", name.c_str()), kServerCommandsNoticeKind);
}

void ServerCommands::RemoveNpc(const Args& args, Player* player)
{
    Actor* actor = FindActor(ToInt(args[0]));
    Covenant* mine = GetPlayerCovenant(*player);
    // Only the player's own companion or its covenant's recruit. Mended: any creature was taken,
    // so a line could strip another player or a rival leader of its party.
    if (!actor || !mine || (actor->GetLeader() != player && !mine->IsRecruit(*actor)))
        return;
    actor->RemoveCompanion();
    if (!mine->IsRecruit(*actor))
        return;
    WorldPos home = mine->FindSpotNearHome(actor);
    if (!IsUsablePosition(home))
        return;
    actor->SetPosition(home);
    actor->SetMoveTarget(home);
    actor->SetHome(home);
    actor->sentHome = true;
}

void ServerCommands::Resurrect(const Args&, Player* player)
{
    player->RequestResurrect();
}

void ServerCommands::UseEntity(const Args& args, Player* player)
{
    int32_t number = ToInt(args[0]);
    if (FindEntityInReach(*player, number))
        player->UseEntityByNumber(number);
}

void ServerCommands::DeclineQuest(const Args& args, Player* player)
{
    // The client names the slot; one outside the six is no request.
    int32_t slot = -1;
    EntityQuest* quest = ServerCommandsQuestNumber(args[0], slot) ? player->GetQuestSlot(slot) : nullptr;
    if (!quest || quest->IsEmpty())
        return;
    if (Quest* original = gGame->GetQuests().GetQuest(quest->questId))
        original->Abandon();
    quest->Abandon();
}

void ServerCommands::EntityInfo(const Args& args, Player*)
{
    if (Entity* entity = FindEntity(ToInt(args[0])))
        entity->PrintInfo();
}

void ServerCommands::ResetNpcIntro(const Args&, Player* player)
{
    if (Actor* actor = ServerCommandsTalkPartner(*player))
        actor->introShown = false;
}

// Mended: the line went to every client, even with nothing said, and the partner could stand
// anywhere, so one client's flood of requests pushed the others' lines out of their updates.
void ServerCommands::GetNpcChat(const Args&, Player* player)
{
    Actor* actor = ServerCommandsTalkPartner(*player);
    if (!actor)
        return;
    std::string line = gGame->GetNpcChat(*player, *actor);
    if (!line.empty())
        gGame->QueueClientCommandFor(player->entityNumber,
                                     StringFormat("npcChat \"%s\"", ServerCommandsEscapeQuotes(line).c_str()));
}

// ---- Tutorial, recruits, quests and gates: the player's own operations -------------------------------

void ServerCommands::SkipTutorial(const Args&, Player* player)
{
    if (ServerCommandsMayTakeTutorial(*player))
        player->EndTutorial(true);
}

void ServerCommands::RestartTutorial(const Args&, Player* player)
{
    if (ServerCommandsMayTakeTutorial(*player))
        player->StartTutorial();
}

void ServerCommands::Recruit(const Args& args, Player* player)
{
    // Only a living town recruit beside the player who serves no covenant yet joins. Mended: any
    // entity number was taken, so a line could draft a trader, a monster or a rival's recruit.
    Actor* actor = FindActor(ToInt(args[0]));
    if (!actor)
        return;
    if (actor->IsDead() || actor->GetNpcType() != NpcType::Recruit || actor->covenantIndex != -1 ||
        !player->IsWithinUseReach(*actor)) {
        std::string name = gGame->GetEntityDisplayName(*actor);
        player->SendMessage(MakeLocToken("NpcWontJoin", "%s", name.c_str()), kServerCommandsNoticeKind);
        return;
    }
    player->AddRecruit(actor, ToInt(args[1]) != 0);
    // Taken on here, not handed in through the recruit quest that offers it. Mended: that quest
    // stayed open for a recruit already in a covenant.
    if (actor->covenantIndex != -1)
        gGame->GetQuests().OnRecruitTaken(*actor, actor->covenantIndex);
}

void ServerCommands::Invite(const Args& args, Player* player)
{
    // The number is the recruit's place in the covenant's list.
    EntityCovenant* covenant = player->GetCovenant();
    Sentient* recruit = covenant ? covenant->GetRecruitActor(ToInt(args[0])) : nullptr;
    if (!recruit)
        return;
    // The recruits window is told what came of its "Come along": it said nothing, whether the
    // recruit joined or not.
    std::string name = gGame->GetEntityDisplayName(*recruit);
    if (recruit->GetLeader() == player) {
        player->SendMessage(MakeLocToken("RecruitAlreadyInParty", "%s", name.c_str()), kServerCommandsNoticeKind);
        return;
    }
    player->AddToParty(recruit, Player::GetPartyLimit());
    if (recruit->GetLeader() == player)
        player->SendMessage(MakeLocToken("RecruitComesAlong", "%s", name.c_str()), kServerCommandsDoneKind);
}

void ServerCommands::AcceptQuest(const Args& args, Player* player)
{
    // Only a quest the NPC the player talks to offers, and only within its reach. Mended: any
    // world quest was taken by its number, from anywhere and from no one.
    int32_t number = -1;
    const Actor* giver = ServerCommandsTalkPartner(*player);
    if (!ServerCommandsQuestNumber(args[0], number) || !giver || !ServerCommandsMayDealWithTutor(giver, *player))
        return;
    std::vector<int32_t> offered;
    giver->GetOfferedQuests(offered);
    if (std::find(offered.begin(), offered.end(), number) != offered.end())
        player->AcceptQuest(number);
}

void ServerCommands::SkipQuest(const Args& args, Player* player)
{
    int32_t slot = -1;
    EntityQuest* quest = ServerCommandsQuestNumber(args[0], slot) ? player->GetQuestSlot(slot) : nullptr;
    if (quest && !quest->IsEmpty())
        player->AbandonQuest(quest->questId);
}

void ServerCommands::SolveQuest(const Args&, Player* player)
{
    if (ServerCommandsMayDealWithTutor(player->GetInteractionTarget(), *player))
        player->CompleteQuest(-1);
}

void ServerCommands::CompleteQuest(const Args& args, Player* player)
{
    int32_t number = -1;
    if (ServerCommandsQuestNumber(args[0], number))
        player->TurnInQuest(number, true);
}

void ServerCommands::Gate(const Args& args, Player* player)
{
    // Only to a gate the player has opened, as the map shows only those.
    int32_t index = ToInt(args[0]);
    const ItemPtrEntry* known = player->gateLists[0].Get(index);
    if (ServerCommandsAtOwnGate(*player) && known && known->flag)
        player->GateTo(index);
}

void ServerCommands::GateToCovenant(const Args& args, Player* player)
{
    // A fallen covenant has no home to go to.
    const Covenant* covenant = FindCovenant(ToInt(args[0]));
    if (ServerCommandsAtOwnGate(*player) && covenant && !covenant->eliminated)
        player->GateToCovenant(covenant->index);
}

// The town keeps one gate: whatever number its pin carries leads there.
void ServerCommands::GateTown(const Args& args, Player* player)
{
    if (ServerCommandsAtOwnGate(*player))
        player->GateToTown(ToInt(args[0]));
}
