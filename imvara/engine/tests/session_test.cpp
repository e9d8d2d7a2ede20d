// The key handling, driven by key names and hot-key identifiers as the desktop would, against a
// keyboard that records what reaches the application.
#include "common/tests/gbk_literal.h"
#include "imvara/engine/code_table.h"
#include "imvara/engine/session.h"
#include "imvara/engine/tests/fake_keyboard.h"

#include <gtest/gtest.h>
#include <random>
#include <utility>

using namespace imvara;

namespace {

class SessionTest : public ::testing::Test {
protected:
    SessionTest() {
        session.setBarView(&bar);
        session.start();
    }

    void type(std::string_view keys) {
        for (char c : keys)
            session.ProcessKey(std::string(1, c));
    }
    int idOf(int entry) const { return session.hotKeyId(entry); }

    FakeKeyboard keyboard;
    FakeBarView bar;
    FixedMeasure measure;
    LookupText lookup{CodeTable(), ""};
    Session session{keyboard, measure, lookup};
};

} // namespace

TEST_F(SessionTest, StartRegistersTheFortyKeysInOrder) {
    EXPECT_EQ(keyboard.registered.size(), 40u);
    for (int entry = 0; entry < kHotKeyCount; ++entry)
        EXPECT_EQ(keyboard.registered.at(idOf(entry)), entry);
    const auto& table = hotKeyTable();
    EXPECT_EQ(static_cast<int>(table[0].virtualKey), 0x41);
    EXPECT_EQ(table[0].virtualKey, VirtualKey::A);
    EXPECT_EQ(table[25].keyName, "z");
    EXPECT_EQ(table[28].modifiers, Modifiers::Shift);
    EXPECT_EQ(static_cast<unsigned>(table[28].modifiers), 4u);
    EXPECT_EQ(table[28].virtualKey, VirtualKey::NoKey);
    EXPECT_EQ(static_cast<int>(table[28].virtualKey), 0);
    EXPECT_EQ(static_cast<int>(table[39].virtualKey), 0x39);
    EXPECT_EQ(static_cast<int>(table[26].virtualKey), 0x22); // VK_NEXT
    EXPECT_EQ(table[26].action, KeyAction::NextPage);
    EXPECT_EQ(static_cast<int>(table[27].virtualKey), 0x21); // VK_PRIOR
    EXPECT_EQ(table[27].action, KeyAction::PreviousPage);
    EXPECT_EQ(table[kEntryShiftAlone].action, KeyAction::ToggleBar);
}

TEST_F(SessionTest, KeyNamesNoEntryHasDoNothing) {
    type("zh");
    for (std::string_view name : {"", "0", "A", "ab", "\xBA", "\t"})
        session.ProcessKey(name);
    EXPECT_EQ(session.Composition(), "zh");
    EXPECT_TRUE(keyboard.typed.empty());
    EXPECT_TRUE(keyboard.log.empty());
}

TEST_F(SessionTest, TypingAWordThroughHotKeys) {
    for (int entry : {25, 7, 14, 13, 6}) // z h o n g
        session.OnHotKey(idOf(entry));
    EXPECT_EQ(session.Composition(), "zhong");
    EXPECT_EQ(session.CandidateLine().substr(0, 5), " 1." + G("中"));
    session.OnHotKey(idOf(31)); // 1
    ASSERT_EQ(keyboard.typed.size(), 1u);
    EXPECT_EQ(keyboard.typed[0].bytes, G("中"));
    EXPECT_EQ(keyboard.typed[0].codePage, CodePage::Gbk);
    EXPECT_EQ(session.Composition(), "");
    EXPECT_EQ(session.CandidateLine(), "");
    session.OnHotKey(12345); // no such entry: nothing happens
    EXPECT_EQ(keyboard.typed.size(), 1u);
}

TEST_F(SessionTest, SpaceChoosesTheFirstCandidate) {
    type("a ");
    EXPECT_EQ(keyboard.allTyped(), "\xB0\xA1"); // 啊
    EXPECT_EQ(session.Composition(), "");
}

TEST_F(SessionTest, DigitsAndSpaceTypeThemselvesWhenNothingIsOffered) {
    type("5 ");
    EXPECT_EQ(keyboard.allTyped(), "5 ");
    type("vvv"); // matches nothing: stays, and digits still type themselves
    EXPECT_EQ(session.CandidateLine(), "");
    type("3");
    EXPECT_EQ(session.Composition(), "vvv");
    EXPECT_EQ(keyboard.allTyped(), "5 3");
}

TEST_F(SessionTest, ADigitBeyondThePageDoesNothing) {
    lookup = LookupText("\r\nqq " + G("一") + "\r\n", "");
    type("qq9");
    EXPECT_TRUE(keyboard.typed.empty());
    EXPECT_EQ(session.Composition(), "qq");
}

TEST_F(SessionTest, BackspacePassesThroughOrShortensTheComposition) {
    const int oldId = idOf(kEntryBackspace);
    session.ProcessKey(kKeyBackspace);
    EXPECT_EQ(keyboard.log, (std::vector<std::string>{"unregister " + std::to_string(oldId), "key 8"}));
    EXPECT_NE(idOf(kEntryBackspace), oldId);
    EXPECT_EQ(keyboard.registered.at(idOf(kEntryBackspace)), kEntryBackspace);

    type("zh");
    session.ProcessKey(kKeyBackspace);
    EXPECT_EQ(session.Composition(), "z");
    EXPECT_EQ(session.CandidateLine().substr(0, 3), " 1.");
    session.ProcessKey(kKeyBackspace);
    EXPECT_EQ(session.CandidateLine(), "");
    EXPECT_EQ(keyboard.log.size(), 2u); // no further pass-through
}

TEST_F(SessionTest, ShiftAloneHidesAndShowsKeepingTheComposition) {
    type("ni");
    const std::string line = session.CandidateLine();
    session.ProcessKey(kKeyHide);
    EXPECT_FALSE(bar.visible);
    EXPECT_FALSE(session.barVisible());
    ASSERT_EQ(keyboard.registered.size(), 1u); // only Shift alone stays claimed
    EXPECT_EQ(keyboard.registered.begin()->second, kEntryShiftAlone);
    session.ProcessKey(kKeyHide);
    EXPECT_TRUE(bar.visible);
    EXPECT_TRUE(session.barVisible());
    EXPECT_EQ(keyboard.registered.size(), 40u);
    EXPECT_EQ(session.Composition(), "ni");
    EXPECT_EQ(session.CandidateLine(), line);
    // The same through the hot key, which kept its identifier while the others were let go.
    session.OnHotKey(idOf(kEntryShiftAlone));
    EXPECT_FALSE(bar.visible);
    session.OnHotKey(idOf(kEntryShiftAlone));
    EXPECT_TRUE(bar.visible);
    EXPECT_EQ(keyboard.registered.size(), 40u);
}

TEST_F(SessionTest, CapsLockDropsThePendingCompositionAndTypesCapitals) {
    session.capsWatcherTick(); // first query reads the keyboard: off
    type("zhong");
    keyboard.capsReleases = 1; // Caps Lock pressed and released
    session.capsWatcherTick();
    EXPECT_EQ(session.Composition(), "");
    EXPECT_EQ(session.CandidateLine(), "");
    type("a1");
    EXPECT_EQ(keyboard.allTyped(), "A1");
    keyboard.capsReleases = 1; // off again
    type("a");
    EXPECT_EQ(session.Composition(), "a");
}

TEST_F(SessionTest, CapsStateReadsTheLockOnceWhenTheKeyIsUp) {
    keyboard.capsOn = true;
    keyboard.capsHeld = true;
    keyboard.capsReleases = 3;
    EXPECT_FALSE(session.CapsState()); // held: not read yet
    keyboard.capsHeld = false;
    EXPECT_TRUE(session.CapsState());
    // Releases counted before the state was read are already part of it.
    EXPECT_TRUE(session.CapsState());
    keyboard.capsOn = false; // the keyboard's state is never read again
    EXPECT_TRUE(session.CapsState());
    keyboard.capsReleases = 2;
    EXPECT_TRUE(session.CapsState());
    keyboard.capsReleases = 1;
    EXPECT_FALSE(session.CapsState());
}

TEST_F(SessionTest, OutputModesConvertWhatIsTyped) {
    session.setOutputMode(OutputMode::Traditional);
    session.SendText(G("爱"));
    EXPECT_EQ(keyboard.typed.back().bytes, G("愛"));
    EXPECT_EQ(keyboard.typed.back().codePage, CodePage::Gbk);
    session.setOutputMode(OutputMode::Big5);
    session.SendText(G("中国"));
    EXPECT_EQ(keyboard.typed.back().bytes, "\xA4\xA4\xB0\xEA");
    EXPECT_EQ(keyboard.typed.back().codePage, CodePage::Big5);
    session.setOutputMode(OutputMode::ShiftJis);
    session.SendText(G("中国"));
    EXPECT_EQ(keyboard.typed.back().bytes, "\x92\x86\x8D\x91");
    EXPECT_EQ(keyboard.typed.back().codePage, CodePage::ShiftJis);
    type("7"); // digits go through the same conversion and come out as themselves
    EXPECT_EQ(keyboard.typed.back().bytes, "7");
}

TEST_F(SessionTest, PagingKeysWithNothingComposedChangeNothing) {
    session.ProcessKey(kKeyPageDown);
    session.ProcessKey(kKeyPageUp);
    EXPECT_EQ(session.CandidateLine(), "");
    EXPECT_TRUE(keyboard.typed.empty());
}

// Random keys never break the session's promises: the composition is lowercase letters, each page
// numbers its candidates 1..n, and a selection types exactly a candidate the page showed.
TEST_F(SessionTest, RandomKeySequencesKeepTheInvariants) {
    std::mt19937 rng(7);
    const std::vector<std::string> specials = {std::string(kKeyPageDown), std::string(kKeyPageUp),
                                               std::string(kKeyBackspace), std::string(kKeyHide), " "};
    std::uniform_int_distribution<int> kind(0, 9), letter(0, 25), digit(1, 9), special(0, 4);
    for (int round = 0; round < 20000; ++round) {
        std::string key;
        const int k = kind(rng);
        if (k < 5)
            key = std::string(1, static_cast<char>('a' + letter(rng) % (k < 3 ? 8 : 26)));
        else if (k < 8)
            key = std::to_string(digit(rng));
        else
            key = specials[static_cast<std::size_t>(special(rng))];
        if (rng() % 97 == 0)
            keyboard.capsReleases = 1;

        const std::string lineBefore = session.CandidateLine();
        const std::size_t typedBefore = keyboard.typed.size();
        session.ProcessKey(key);
        session.capsWatcherTick();

        for (char c : session.Composition())
            ASSERT_TRUE(c >= 'a' && c <= 'z') << session.Composition();
        const std::string& l = session.CandidateLine();
        if (!l.empty()) {
            ASSERT_EQ(l.substr(0, 3), " 1.");
            ASSERT_EQ(l.back(), ' ');
            ASSERT_LE(measure.width(l.substr(0, l.size() - 1)), kCandidateLineWidth);
        }
        if (keyboard.typed.size() > typedBefore && !lineBefore.empty() && (key == " " || std::isdigit(key[0]))) {
            const std::string& sent = keyboard.typed.back().bytes;
            ASSERT_FALSE(sent.empty());
            ASSERT_NE(lineBefore.find(sent), std::string::npos) << "typed something the page did not show";
        }
        if (session.Composition().size() > 12 || rng() % 50 == 0)
            session.ProcessKey("1");
    }
}
