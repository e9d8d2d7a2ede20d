// Everything that goes to the application, in the order the user pressed the keys behind it: keys
// passed on as they were, and characters typed on spare keycodes. The queue is drained strictly from
// the front; a character that has no keycode yet (all in quarantine) holds up everything behind it,
// so nothing ever overtakes. The platform layer appends, and lets the queue drive its key sender.
#pragma once

#include "imvara/x11/spare_key_pool.h"

#include <cstdint>
#include <deque>
#include <optional>

namespace imvara {

// What the queue sends through: the platform's key synthesis.
class KeySender {
public:
    virtual ~KeySender() = default;
    // Binds a spare keycode to a keysym (every column, so no modifier changes what it types).
    virtual void bindSpareKey(int keycode, std::uint32_t keysym) = 0;
    // Presses and releases a spare keycode.
    virtual void typeSpareKey(int keycode) = 0;
    // Presses and releases a key of the keyboard with these modifiers; past our own claim on it, if
    // we claim it by now.
    virtual void passOnKey(int keycode, unsigned modifiers) = 0;
};

class SendQueue {
public:
    explicit SendQueue(SpareKeyPool& pool) : m_pool(pool) {}

    void pushKey(int keycode, unsigned modifiers);
    // A character as a keysym; dropped when there are no spare keycodes at all.
    void pushCharacter(std::uint32_t keysym);

    bool empty() const { return m_pending.empty(); }
    std::size_t size() const { return m_pending.size(); }
    // Whether the front can go at `now` (false when empty).
    bool frontReady(Millis now) const;
    // Sends from the front while it can go; returns how many actions went.
    int drain(KeySender& sender, Millis now);
    // When the waiting front can go; none when the queue is empty or the front can go now.
    std::optional<Millis> retryAt(Millis now) const;

private:
    struct Action {
        std::uint32_t keysym = 0; // a character to type, or:
        int keycode = 0;          // a key to pass on
        unsigned modifiers = 0;
    };

    SpareKeyPool& m_pool;
    std::deque<Action> m_pending;
};

} // namespace imvara
