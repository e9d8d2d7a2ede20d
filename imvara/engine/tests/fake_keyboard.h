// A keyboard and a bar that record what the session asks of the desktop.
#pragma once

#include "imvara/engine/keyboard.h"
#include "imvara/engine/session.h"

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace imvara {

class FakeKeyboard : public Keyboard {
public:
    struct Typed {
        std::string bytes;
        CodePage codePage;
    };

    int registerHotKey(int entry, VirtualKey, Modifiers) override {
        const int id = m_nextId++;
        registered[id] = entry;
        return id;
    }
    void unregisterHotKey(int id) override {
        registered.erase(id);
        log.push_back("unregister " + std::to_string(id));
    }
    void synthesizeKey(VirtualKey key) override {
        // A synthesized Backspace only reaches the application while nobody holds it.
        bool claimed = false;
        for (const auto& [id, entry] : registered)
            claimed = claimed || entry == kEntryBackspace;
        const std::string code = std::to_string(static_cast<int>(key));
        log.push_back("key " + code + (claimed ? " (swallowed)" : ""));
    }
    bool capsLockHeld() override { return capsHeld; }
    bool capsLockOn() override { return capsOn; }
    int takeCapsLockReleases() override { return std::exchange(capsReleases, 0); }
    void typeText(std::string_view bytes, CodePage codePage) override {
        typed.push_back({std::string(bytes), codePage});
    }

    std::string allTyped() const {
        std::string s;
        for (const auto& t : typed)
            s += t.bytes;
        return s;
    }

    std::map<int, int> registered; // id -> entry
    std::vector<std::string> log;
    std::vector<Typed> typed;
    bool capsHeld = false;
    bool capsOn = false;
    int capsReleases = 0;

private:
    int m_nextId = 0xC000; // the first identifier of a Windows global atom, as the key ids are
};

class FakeBarView : public BarView {
public:
    void setBarVisible(bool shown) override { visible = shown; }

    bool visible = true;
};

} // namespace imvara
