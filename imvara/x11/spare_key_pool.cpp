// Spare keycode assignment with a quarantine after each press.
#include "imvara/x11/spare_key_pool.h"

#include <algorithm>

namespace imvara {

SpareKeyPool::SpareKeyPool(std::vector<int> keycodes, Millis quarantine) : m_quarantine(quarantine) {
    std::sort(keycodes.begin(), keycodes.end());
    keycodes.erase(std::unique(keycodes.begin(), keycodes.end()), keycodes.end());
    for (int keycode : keycodes)
        m_slots.push_back({keycode});
}

bool SpareKeyPool::owns(int keycode) const {
    return std::any_of(m_slots.begin(), m_slots.end(), [&](const Slot& slot) { return slot.keycode == keycode; });
}

std::optional<SpareKeyPool::Assignment> SpareKeyPool::assign(std::uint32_t keysym, Millis now) {
    Slot* chosen = nullptr;
    for (Slot& slot : m_slots) {
        if (slot.keysym == keysym) {
            slot.lastPress = now;
            return Assignment{slot.keycode, false};
        }
    }
    for (Slot& slot : m_slots) {
        if (slot.keysym == 0) {
            chosen = &slot;
            break;
        }
        if (outOfQuarantine(slot, now) && (!chosen || slot.lastPress < chosen->lastPress))
            chosen = &slot;
    }
    if (!chosen)
        return std::nullopt;
    chosen->keysym = keysym;
    chosen->lastPress = now;
    return Assignment{chosen->keycode, true};
}

std::optional<Millis> SpareKeyPool::waitUntil(std::uint32_t keysym, Millis now) const {
    for (const Slot& slot : m_slots)
        if (slot.keysym == keysym || slot.keysym == 0 || outOfQuarantine(slot, now))
            return std::nullopt;
    return nextReleaseAt();
}

std::optional<Millis> SpareKeyPool::nextReleaseAt() const {
    std::optional<Millis> first;
    for (const Slot& slot : m_slots)
        if (slot.keysym != 0 && (!first || slot.lastPress + m_quarantine < *first))
            first = slot.lastPress + m_quarantine;
    return first;
}

std::vector<std::pair<int, std::uint32_t>> SpareKeyPool::bindings() const {
    std::vector<std::pair<int, std::uint32_t>> bound;
    for (const Slot& slot : m_slots)
        if (slot.keysym != 0)
            bound.emplace_back(slot.keycode, slot.keysym);
    return bound;
}

bool SpareKeyPool::anyBound() const {
    return std::any_of(m_slots.begin(), m_slots.end(), [](const Slot& slot) { return slot.keysym != 0; });
}

std::vector<int> SpareKeyPool::takeReleased(Millis now) {
    std::vector<int> released;
    for (Slot& slot : m_slots) {
        if (slot.keysym != 0 && outOfQuarantine(slot, now)) {
            slot.keysym = 0;
            released.push_back(slot.keycode);
        }
    }
    return released;
}

} // namespace imvara
