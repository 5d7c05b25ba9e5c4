// UserVar -- one named user var: its text with its integer and float readings, its flags and its default.
#include "core/UserVar.h"

#include "core/StringUtil.h"
#include "core/UserVarSystem.h"

UserVar::UserVar(std::string_view name, std::string_view text)
    : name(name), text(text), floatValue(ParseFloat(text)), intValue(ParseInt(text))
{
}

bool UserVar::Assign(std::string_view newText)
{
    if (newText == text)
        return false;
    text = newText;
    floatValue = ParseFloat(text);
    intValue = ParseInt(text);
    changed = true;
    return true;
}

bool UserVar::Set(std::string_view newText, bool noSave)
{
    if (!Assign(newText))
        return false;
    if (!hasDefault)
        SetDefault(text);
    if (IsSaved() && !noSave && gUserVarSystem)
        gUserVarSystem->SaveUserConfig();
    return true;
}

void UserVar::SetDefault(std::string_view newDefault)
{
    defaultText = newDefault;
    hasDefault = true;
}
