// Which spare keycode types which character. Typing text through XTest binds each character to a
// keycode the keyboard does not use; an application looks the binding up when it handles the key,
// maybe later than we press it, so a keycode is rebound only when it is the least recently used of
// the pool, and a character already bound reuses its keycode.
#pragma once

#include <cstdint>
#include <list>
#include <optional>
#include <unordered_map>
#include <vector>

namespace imvara {

class SpareKeyPool {
public:
    struct Assignment {
        int keycode;
        bool rebind; // the keycode must be bound to the character first
    };

    explicit SpareKeyPool(std::vector<int> keycodes);

    bool empty() const { return m_free.empty() && m_lru.empty(); }
    // The keycode for a keysym, rebinding the least recently used one when none has it yet.
    std::optional<Assignment> assign(std::uint32_t keysym);
    // Every keycode bound so far (to restore them), after which the pool is as new.
    std::vector<int> takeBound();

private:
    struct Slot {
        int keycode;
        std::uint32_t keysym;
    };
    std::vector<int> m_free;
    std::list<Slot> m_lru; // most recently used first
    std::unordered_map<std::uint32_t, std::list<Slot>::iterator> m_byKeysym;
};

} // namespace imvara
