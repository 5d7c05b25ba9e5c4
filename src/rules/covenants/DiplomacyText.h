// DiplomacyText -- the texts that name covenants, treaties, trade routes and how one covenant stands toward another.
#pragma once

#include <cstdint>
#include <string>

class CovenantBase;

namespace DiplomacyText {

// Relations are described in bands this wide: 0..19 hostile up to 80..100 devoted.
constexpr float kRelationBandWidth = 20.0f;

// The covenant's display name in its colour, followed by the normal text colour, as every
// message names a covenant.
std::string CovenantLine(const CovenantBase& covenant);
// "$$Treaty<name>$$" of a "CovenantTreaty" value; empty outside the table.
std::string Treaty(int32_t treaty);
// "$$TradeRoute<name>$$" of a trade-route kind; empty outside the table.
std::string TradeRoute(int32_t kind);
// "$$MoodHostile$$", "$$MoodWary$$", "$$MoodNeutral$$", "$$MoodCordial$$" or "$$MoodDevoted$$"
// by the band of a relation value (taken into 0..100; no number counts as 0): a sentence of its
// own ("Neutral."), as it opens an answer, so that a bare word does not run into the answer.
std::string MoodDescription(float relation);
// The description of the covenant's relation toward another covenant index (0 when it can
// have no record toward it).
std::string MoodDescription(const CovenantBase& covenant, int32_t other);

// The covenant's answer to another covenant index, in the words of its standing toward it:
// the mood's description, then "$$DiplomacyResponse<n>$$". False, out untouched, for a
// response no covenant gives (and so no text names).
bool Response(const CovenantBase& covenant, int32_t other, int32_t response, std::string& out);

} // namespace DiplomacyText
