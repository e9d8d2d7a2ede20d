// Spare keycode assignment.
#include "imvara/x11/spare_key_pool.h"

#include <algorithm>

namespace imvara {

SpareKeyPool::SpareKeyPool(std::vector<int> keycodes) : m_free(std::move(keycodes)) {
    std::reverse(m_free.begin(), m_free.end()); // hand them out lowest first
}

std::optional<SpareKeyPool::Assignment> SpareKeyPool::assign(std::uint32_t keysym) {
    if (const auto found = m_byKeysym.find(keysym); found != m_byKeysym.end()) {
        m_lru.splice(m_lru.begin(), m_lru, found->second);
        return Assignment{found->second->keycode, false};
    }
    int keycode;
    if (!m_free.empty()) {
        keycode = m_free.back();
        m_free.pop_back();
    } else if (!m_lru.empty()) {
        keycode = m_lru.back().keycode;
        m_byKeysym.erase(m_lru.back().keysym);
        m_lru.pop_back();
    } else {
        return std::nullopt;
    }
    m_lru.push_front({keycode, keysym});
    m_byKeysym[keysym] = m_lru.begin();
    return Assignment{keycode, true};
}

std::vector<int> SpareKeyPool::takeBound() {
    std::vector<int> bound;
    for (const Slot& slot : m_lru)
        bound.push_back(slot.keycode);
    m_free.insert(m_free.end(), bound.begin(), bound.end());
    std::sort(m_free.begin(), m_free.end(), std::greater<>());
    m_lru.clear();
    m_byKeysym.clear();
    return bound;
}

} // namespace imvara
