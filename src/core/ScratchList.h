// ScratchList -- a list lent for the length of a call from a per-thread stack of kept lists, so that a step that needs a list for a moment allocates nothing once the stack has found its depth and its lists their sizes.
#pragma once

#include <memory>
#include <vector>

// Taken in a function's scope and given back, emptied, when it ends. Calls nested inside take
// lists of their own, so a handler that runs a skill that runs a handler cannot clear a list
// its caller is still walking. Each thread keeps its own stack.
template <class T>
class ScratchList {
public:
    ScratchList() : list(Take()) {}
    ~ScratchList()
    {
        list->clear();
        Spares().push_back(std::move(list));
    }
    ScratchList(const ScratchList&) = delete;
    ScratchList& operator=(const ScratchList&) = delete;

    std::vector<T>& operator*() { return *list; }
    std::vector<T>* operator->() { return list.get(); }

private:
    using Spare = std::unique_ptr<std::vector<T>>;

    static std::vector<Spare>& Spares()
    {
        thread_local std::vector<Spare> spares;
        return spares;
    }

    static Spare Take()
    {
        std::vector<Spare>& spares = Spares();
        if (spares.empty())
            return std::make_unique<std::vector<T>>();
        Spare taken = std::move(spares.back());
        spares.pop_back();
        return taken;
    }

    Spare list;
};
