// Which spare keycode types which character. Typing text through XTest binds each character to a
// keycode the keyboard does not use. An application reads a binding when it handles the mapping
// change, which may be long after we pressed the key, so a keycode whose key may still be unread is
// never bound to anything else: after its last press it stays in quarantine, and when every keycode
// is in quarantine the caller waits.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <vector>

namespace imvara {

// Time on a steady clock, as the pool counts it.
using Millis = std::chrono::milliseconds;

class SpareKeyPool {
public:
    struct Assignment {
        int keycode;
        bool rebind; // the keycode must be bound to the character first
    };

    SpareKeyPool(std::vector<int> keycodes, Millis quarantine);

    // No keycode at all: characters cannot be typed.
    bool empty() const { return m_slots.empty(); }
    std::size_t size() const { return m_slots.size(); }
    bool owns(int keycode) const;
    Millis quarantine() const { return m_quarantine; }

    // The keycode for a keysym pressed at `now`: the one already bound to it, else a free one, else
    // the least recently pressed one out of quarantine; none while all are in quarantine.
    std::optional<Assignment> assign(std::uint32_t keysym, Millis now);
    // Until when assign must wait for this keysym at `now`; none when it can have a keycode now.
    std::optional<Millis> waitUntil(std::uint32_t keysym, Millis now) const;
    // When the first bound keycode comes out of quarantine; none when no keycode is bound.
    std::optional<Millis> nextReleaseAt() const;

    // Keycodes bound now, with their keysyms (to mark them as ours in the keymap).
    std::vector<std::pair<int, std::uint32_t>> bindings() const;
    bool anyBound() const;
    // The bound keycodes out of quarantine at `now`, which become free: the caller clears them.
    std::vector<int> takeReleased(Millis now);

private:
    struct Slot {
        int keycode;
        std::uint32_t keysym = 0; // 0: free
        Millis lastPress{0};
    };
    bool outOfQuarantine(const Slot& slot, Millis now) const { return now - slot.lastPress >= m_quarantine; }

    std::vector<Slot> m_slots; // lowest keycode first
    Millis m_quarantine;
};

} // namespace imvara
