// Message maps: a table from message or command id to a member handler, as
// each window class keeps one.
#pragma once

#include <span>

namespace vortan {

template <class T>
struct MessageMapEntry {
    int id;
    void (T::*handler)();
};

// Calls the handler for id; false when the map has none (the command reaches nothing).
template <class T>
bool Dispatch(std::span<const MessageMapEntry<T>> map, T& target, int id) {
    for (const auto& e : map) {
        if (e.id == id) {
            (target.*e.handler)();
            return true;
        }
    }
    return false;
}

template <class T>
bool Handles(std::span<const MessageMapEntry<T>> map, int id) {
    for (const auto& e : map)
        if (e.id == id) return true;
    return false;
}

}  // namespace vortan
