// The ordered queue of output to the application.
#include "imvara/x11/send_queue.h"

namespace imvara {

void SendQueue::pushKey(int keycode, unsigned modifiers) { m_pending.push_back({0, keycode, modifiers}); }

void SendQueue::pushCharacter(std::uint32_t keysym) {
    if (m_pool.empty() || keysym == 0)
        return;
    m_pending.push_back({keysym});
}

bool SendQueue::frontReady(Millis now) const {
    if (m_pending.empty())
        return false;
    return m_pending.front().keysym == 0 || !retryAt(now);
}

int SendQueue::drain(KeySender& sender, Millis now) {
    int sent = 0;
    while (!m_pending.empty()) {
        const Action& action = m_pending.front();
        if (action.keysym == 0) {
            sender.passOnKey(action.keycode, action.modifiers);
        } else {
            const auto slot = m_pool.assign(action.keysym, now);
            if (!slot)
                break; // every keycode may still be unread somewhere: wait, and keep the order
            if (slot->rebind)
                sender.bindSpareKey(slot->keycode, action.keysym);
            sender.typeSpareKey(slot->keycode);
        }
        m_pending.pop_front();
        ++sent;
    }
    return sent;
}

std::optional<Millis> SendQueue::retryAt(Millis now) const {
    if (m_pending.empty() || m_pending.front().keysym == 0)
        return std::nullopt;
    return m_pool.waitUntil(m_pending.front().keysym, now);
}

} // namespace imvara
