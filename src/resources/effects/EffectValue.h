// EffectValue -- a number of a particle effect file that may be drawn anew each time it is used.
#pragma once

#include <cstdint>

class TextParser;

struct EffectValue {
    enum Kind : int32_t { kConstant = 0, kUniform = 1 };

    static EffectValue Constant(float number) { return {kConstant, number, number}; }

    // One expression from the rest of the current line: "rand X" ([0, X)), "crand X" ([-X, X)),
    // "randRange A B" ([A, B)), or a number. Missing numbers read as 0.
    static EffectValue Parse(TextParser& parser);
    // min for a constant; a fresh draw of stream 0 for a range; 0 for any other kind.
    float Evaluate() const;

    int32_t kind = kConstant;
    float min = 0.0f;
    float max = 0.0f;
};
