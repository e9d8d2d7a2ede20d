// The input method's session on random key streams: every key name the bar knows, in any order, with
// Caps Lock and output-mode changes between them. The session must never fail, and the composition
// and the candidate line must stay what the bar can show.
#include "imvara/engine/code_table.h"
#include "imvara/engine/session.h"
#include "imvara/engine/tests/fake_keyboard.h"
#include "imvara/engine/text_measure.h"
#include "tests/fuzz/fuzz_check.h"

#include <algorithm>
#include <cstdint>
#include <string>

namespace {

imvara::LookupText& sharedLookup() {
    // Built once: the table holds some 64,000 entries. A few user words make the user part non-empty.
    static imvara::LookupText lookup(imvara::CodeTable(), "\r\nzhongguo \xD6\xD0\xB9\xFA\r\na \xB0\xA1");
    return lookup;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace imvara;
    FakeKeyboard keyboard;
    const FixedMeasure measure;
    Session session(keyboard, measure, sharedLookup());
    session.start();
    // A few hundred keys are plenty for any state; more only slow the search for new inputs down.
    size = std::min<std::size_t>(size, 400);
    for (std::size_t k = 0; k < size; ++k) {
        const std::uint8_t b = data[k];
        if (b < 200) {
            const std::string_view name = hotKeyTable()[b % kHotKeyCount].keyName;
            if (b % 3 == 0)
                session.OnHotKey(session.hotKeyId(b % kHotKeyCount));
            else
                session.ProcessKey(name);
        } else if (b < 220) {
            session.setOutputMode(static_cast<OutputMode>(b % 4));
        } else if (b < 240) {
            keyboard.capsOn = !keyboard.capsOn;
            keyboard.capsReleases += 1;
            session.capsWatcherTick();
        } else {
            session.ProcessKey(std::string_view(reinterpret_cast<const char*>(data + k), size - k));
        }
        for (char c : session.Composition())
            FUZZ_CHECK(c >= 'a' && c <= 'z');
        FUZZ_CHECK(session.Composition().size() <= size);
    }
    return 0;
}
