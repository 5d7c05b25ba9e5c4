// DiplomacyText -- the texts that name covenants, treaties, trade routes and how one covenant stands toward another.
#include "rules/covenants/DiplomacyText.h"

#include "core/ColorCode.h"
#include "core/EnumTable.h"
#include "core/StringUtil.h"
#include "rules/Formulas.h"
#include "rules/RulesEnums.h"
#include "rules/covenants/CovenantBase.h"
#include "rules/covenants/OfferAnswers.h"

#include <algorithm>
#include <iterator>
#include <cmath>

namespace {

constexpr const char* kDiplomacyRelationWords[] = {"Hostile", "Wary", "Neutral", "Cordial", "Devoted"};
constexpr int32_t kDiplomacyRelationWordCount = 5;
// A refusal, the listening the trade window shows while an offer is made, every answer a
// covenant gives, the player's answer to a covenant's offer, and an offer its player never heard.
constexpr int32_t kDiplomacyResponses[] = {0, kAnswerEmpty, kAnswerBalanced, kAnswerClose, kAnswerRefused,
                                           kAnswerTradeAccepted, kAnswerTradeRefused, kAnswerDemandMet,
                                           kAnswerDemandRefused, kAnswerOtherCannotPay, kAnswerCannotPay,
                                           kAnswerEven, kAnswerGiftAccepted, kAnswerTheirOfferAccepted,
                                           kAnswerTheirOfferRefused, kAnswerOfferNotHeard};

std::string DiplomacyTextToken(const char* prefix, const char* table, int32_t value)
{
    const EnumTable* names = EnumTable::Find(table);
    if (!names || names->GetName(value).empty())
        return std::string();
    return std::string("$$") + prefix + names->GetName(value) + "$$";
}

int32_t DiplomacyTextBand(float relation)
{
    float value = std::isnan(relation) ? 0.0f : std::clamp(relation, 0.0f, 100.0f);
    return std::min(static_cast<int32_t>(value / DiplomacyText::kRelationBandWidth), kDiplomacyRelationWordCount - 1);
}

} // namespace

namespace DiplomacyText {

std::string CovenantLine(const CovenantBase& covenant)
{
    return MakeColorCode(covenant.GetColor()) + covenant.GetDisplayName() + MakeColorCode(kNormalTextColor);
}

std::string Treaty(int32_t treaty)
{
    RegisterRulesEnumTables();
    return DiplomacyTextToken("Treaty", "CovenantTreaty", treaty);
}

std::string TradeRoute(int32_t kind)
{
    RegisterRulesEnumTables();
    return DiplomacyTextToken("TradeRoute", "TradeRouteType", kind);
}

std::string MoodDescription(float relation)
{
    return std::string("$$Mood") + kDiplomacyRelationWords[DiplomacyTextBand(relation)] + "$$";
}

std::string MoodDescription(const CovenantBase& covenant, int32_t other)
{
    return MoodDescription(covenant.GetRelation(other));
}

bool Response(const CovenantBase& covenant, int32_t other, int32_t response, std::string& out)
{
    if (std::find(std::begin(kDiplomacyResponses), std::end(kDiplomacyResponses), response) ==
        std::end(kDiplomacyResponses))
        return false;
    out = StringFormat("%s $$DiplomacyResponse%d$$", MoodDescription(covenant, other).c_str(), response);
    return true;
}

} // namespace DiplomacyText
