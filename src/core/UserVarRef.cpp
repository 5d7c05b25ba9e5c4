// UserVarRef -- a one-word handle to a user var, safe to hold before the user-var system exists.
#include "core/UserVarRef.h"

#include "core/DebugSystem.h"
#include "core/UserVar.h"
#include "core/UserVarSystem.h"

bool UserVarRef::IsValid() const
{
    return gUserVarSystem && gUserVarSystem->GetVar(index);
}

UserVar* UserVarRef::Resolve() const
{
    UserVar* var = gUserVarSystem ? gUserVarSystem->GetVar(index) : nullptr;
    if (!var)
        DebugSystem::Print(kPrintError, "Trying to reference a userVar before it has been set up!\n");
    return var;
}

std::string UserVarRef::GetString() const
{
    UserVar* var = Resolve();
    return var ? var->GetString() : std::string();
}

int32_t UserVarRef::GetInt() const
{
    UserVar* var = Resolve();
    return var ? var->GetInt() : 0;
}

float UserVarRef::GetFloat() const
{
    UserVar* var = Resolve();
    return var ? var->GetFloat() : 0.0f;
}

bool UserVarRef::GetBool() const
{
    UserVar* var = Resolve();
    return var && var->GetBool();
}

std::string UserVarRef::GetName() const
{
    UserVar* var = Resolve();
    return var ? var->GetName() : std::string();
}

void UserVarRef::SetString(std::string_view text) const
{
    if (UserVar* var = Resolve())
        var->Set(text);
}

bool UserVarRef::GetFlag() const
{
    UserVar* var = Resolve();
    return var && var->IsChanged();
}

void UserVarRef::SetFlag() const
{
    if (UserVar* var = Resolve())
        var->ClearChanged();
}
