// The handles a backend gives out for its serial ports, sockets and files,
// shared by every backend: handle n is slot n - 1 of a table that never
// shrinks, and a freed slot is given out again first. A Slot says with
// inUse() whether it holds something open.
#pragma once

#include <cstddef>
#include <utility>
#include <vector>

template <typename Slot>
struct HandleSlots {
    std::vector<Slot> slots;

    // The slot of handle while it is in use; null for any other number.
    Slot* find(int handle) {
        if (handle <= 0 || static_cast<std::size_t>(handle) > slots.size()) return nullptr;
        Slot* s = &slots[handle - 1];
        return s->inUse() ? s : nullptr;
    }

    // Puts slot into the first free place and gives its handle.
    int add(Slot slot) {
        for (std::size_t i = 0; i < slots.size(); ++i)
            if (!slots[i].inUse()) {
                slots[i] = std::move(slot);
                return static_cast<int>(i + 1);
            }
        slots.push_back(std::move(slot));
        return static_cast<int>(slots.size());
    }

    auto begin() { return slots.begin(); }
    auto end() { return slots.end(); }
};
