// ListUtil -- small helpers over the engine's lists of pointers and of texts.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

// Erases the first element equal to value; false when no element holds it.
template <class List, class Value>
bool ListRemoveFirst(List& list, const Value& value)
{
    auto found = std::find(list.begin(), list.end(), value);
    if (found == list.end())
        return false;
    list.erase(found);
    return true;
}

// Destroys every object the list owns and empties it.
template <class List>
void DeleteAllAndClear(List& list)
{
    for (auto* object : list)
        delete object;
    list.clear();
}

// Appends the text unless an equal text is already there; true when it was appended.
inline bool AddUniqueString(std::vector<std::string>& list, std::string_view text)
{
    if (std::find(list.begin(), list.end(), text) != list.end())
        return false;
    list.emplace_back(text);
    return true;
}

// The index of the first equal text; -1 when none.
inline int FindStringIndex(const std::vector<std::string>& list, std::string_view text)
{
    auto found = std::find(list.begin(), list.end(), text);
    return found == list.end() ? -1 : static_cast<int>(found - list.begin());
}
