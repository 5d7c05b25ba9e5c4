// NameGenerator -- made-up personal names from the letter statistics of sample lists ("Names/<table>.txt").
#pragma once

#include "core/BaseClass.h"
#include "core/NoCaseLess.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>

class NameGenerator : public BaseClass {
public:
    // What a missing or empty table gives.
    static constexpr const char* kFallbackName = "Stranger";

    NameGenerator();
    ~NameGenerator() override;

    // Sets random stream 4 to the seed, then walks the table's chain of letters, so that the
    // same table and seed always give the same name. A table is read once, on first use;
    // one sample name a line. A missing or empty table logs once and gives kFallbackName.
    std::string Generate(std::string_view table, uint32_t seed);

private:
    struct Chain;
    const Chain& GetChain(std::string_view table);

    std::map<std::string, std::unique_ptr<Chain>, NoCaseLess> chains;
};

extern NameGenerator* gNameGenerator;
