// Attachment -- an "Attachment" record: alternative models to hang on a tag of an entity's model, one picked at random.
#pragma once

#include "core/SimpleData.h"

#include <string>
#include <vector>

// Each alternative is one line of the record:
//
//   Alternative <modelName> <tagName> [scale] [record]
//
// scale defaults to 1; record names the database entry of the attached entity (none when
// absent). A line without a model and a tag is logged and left out.
class Attachment : public SimpleData {
public:
    struct Alternative {
        const DatabaseEntry* record = nullptr;
        std::string modelName;
        std::string tagName;
        float scale = 1.0f;
    };

    void Load(const DatabaseEntry* entry) override;

    // index = trunc(draw x count) from random stream 0, the count itself taken one lower;
    // null without alternatives.
    const Alternative* PickRandom() const;

    std::vector<Alternative> alternatives;
};
