// UserVarRef -- a one-word handle to a user var, safe to hold before the user-var system exists.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

class UserVar;

// Every accessor checks that the user-var system exists and that the handle names a var;
// otherwise it logs "Trying to reference a userVar before it has been set up!\n" as an
// error and gives 0, false or the empty text (a setter changes nothing).
class UserVarRef {
public:
    UserVarRef() = default;
    explicit UserVarRef(int32_t index) : index(index) {}

    // Whether the handle names a var; does not log.
    bool IsValid() const;
    int32_t GetIndex() const { return index; }

    std::string GetString() const;
    int32_t GetInt() const;
    float GetFloat() const;
    bool GetBool() const;
    std::string GetName() const;
    void SetString(std::string_view text) const;
    // The var's changed flag; SetFlag clears it again once the change has been applied.
    bool GetFlag() const;
    void SetFlag() const;

private:
    UserVar* Resolve() const;

    int32_t index = -1;
};
