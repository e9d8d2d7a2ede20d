// The output queue and its spare keycodes: nothing overtakes, no keycode is rebound while a key that
// used it may still be unread, and output waits rather than breaking either rule.
#include "imvara/x11/send_queue.h"

#include <gtest/gtest.h>
#include <map>
#include <string>
#include <vector>

using namespace imvara;
using namespace std::chrono_literals;

namespace {

constexpr Millis kQ = 1000ms;

// Records what reaches the application, and checks every press against the binding it was made with.
class RecordingSender : public KeySender {
public:
    void bindSpareKey(int keycode, std::uint32_t keysym) override {
        bindings[keycode] = keysym;
        ++rebinds;
    }
    void typeSpareKey(int keycode) override { sent.push_back("c" + std::to_string(bindings.at(keycode))); }
    void passOnKey(int keycode, unsigned modifiers) override {
        sent.push_back("k" + std::to_string(keycode) + (modifiers ? "+" : ""));
    }

    std::map<int, std::uint32_t> bindings;
    std::vector<std::string> sent;
    int rebinds = 0;
};

} // namespace

TEST(SpareKeyPool, ABoundCharacterKeepsItsKeycodeAndOthersWaitOutTheQuarantine) {
    SpareKeyPool pool({12, 10, 11, 10}, kQ); // duplicates count once
    EXPECT_EQ(pool.size(), 3u);
    EXPECT_TRUE(pool.owns(11));
    EXPECT_FALSE(pool.owns(13));
    auto a = pool.assign('a', 0ms);
    ASSERT_TRUE(a);
    EXPECT_EQ(a->keycode, 10); // lowest first
    EXPECT_TRUE(a->rebind);
    EXPECT_EQ(pool.assign('b', 1ms)->keycode, 11);
    EXPECT_EQ(pool.assign('c', 2ms)->keycode, 12);
    // Already bound: no rebinding, any time; the press restarts its quarantine.
    a = pool.assign('a', 500ms);
    EXPECT_EQ(a->keycode, 10);
    EXPECT_FALSE(a->rebind);
    // A fourth character: every keycode was pressed less than a quarantine ago.
    EXPECT_FALSE(pool.assign('d', 999ms));
    EXPECT_EQ(pool.waitUntil('d', 999ms), 1001ms); // b's keycode is out first
    EXPECT_FALSE(pool.waitUntil('a', 999ms));
    const auto d = pool.assign('d', 1001ms);
    ASSERT_TRUE(d);
    EXPECT_EQ(d->keycode, 11);
    EXPECT_TRUE(d->rebind);
    // The least recently pressed one out of quarantine goes next: c (2 ms), not a (500 ms).
    EXPECT_EQ(pool.assign('e', 1600ms)->keycode, 12);
}

TEST(SpareKeyPool, BindingsAreClearedOnlyOutOfQuarantine) {
    SpareKeyPool pool({20, 21}, kQ);
    pool.assign('x', 0ms);
    pool.assign('y', 800ms);
    EXPECT_TRUE(pool.takeReleased(999ms).empty());
    EXPECT_EQ(pool.takeReleased(1000ms), std::vector<int>{20});
    EXPECT_EQ(pool.nextReleaseAt(), 1800ms);
    EXPECT_EQ(pool.bindings(), (std::vector<std::pair<int, std::uint32_t>>{{21, 'y'}}));
    // The cleared keycode is free again at once: it was unread by nobody when it was cleared.
    EXPECT_EQ(pool.assign('z', 1001ms)->keycode, 20);
    EXPECT_EQ(pool.takeReleased(1800ms), std::vector<int>{21});
    EXPECT_EQ(pool.takeReleased(5000ms), std::vector<int>{20});
    EXPECT_FALSE(pool.anyBound());
    EXPECT_FALSE(pool.nextReleaseAt());
}

TEST(SendQueue, AWaitingCharacterHoldsUpEverythingBehindIt) {
    SpareKeyPool pool({8, 9}, kQ);
    SendQueue queue(pool);
    RecordingSender sender;
    queue.pushCharacter(0x4E2D);
    queue.pushKey(59, 0); // a comma passed on
    queue.pushCharacter(0x597D);
    queue.pushCharacter(0x4F60); // a third character: no keycode for it within the quarantine
    queue.pushKey(60, 1);
    queue.pushCharacter(0x4E2D); // bound already, but behind the waiting one
    queue.pushKey(22, 0);
    EXPECT_EQ(queue.drain(sender, 0ms), 3);
    EXPECT_EQ(sender.sent,
              (std::vector<std::string>{"c" + std::to_string(0x4E2D), "k59", "c" + std::to_string(0x597D)}));
    EXPECT_FALSE(queue.frontReady(500ms));
    EXPECT_EQ(queue.retryAt(500ms), 1000ms);
    EXPECT_EQ(queue.drain(sender, 999ms), 0);
    EXPECT_EQ(queue.size(), 4u);
    // Pushed while waiting: behind the rest.
    queue.pushKey(61, 0);
    ASSERT_TRUE(queue.frontReady(1000ms));
    EXPECT_EQ(queue.drain(sender, 1000ms), 5);
    EXPECT_TRUE(queue.empty());
    EXPECT_EQ(sender.sent, (std::vector<std::string>{"c" + std::to_string(0x4E2D), "k59", "c" + std::to_string(0x597D),
                                                     "c" + std::to_string(0x4F60), "k60+", "c" + std::to_string(0x4E2D),
                                                     "k22", "k61"}));
    // 中 lost its keycode to 你 once out of quarantine, so it was bound again: four bindings in all.
    EXPECT_EQ(sender.rebinds, 4);
}

TEST(SendQueue, KeysGoAtOnceAndCharactersWithoutAnyKeycodeAreDropped) {
    SpareKeyPool none({}, kQ);
    SendQueue queue(none);
    RecordingSender sender;
    queue.pushCharacter('a');
    EXPECT_TRUE(queue.empty());
    queue.pushKey(36, 0);
    EXPECT_TRUE(queue.frontReady(0ms));
    EXPECT_FALSE(queue.retryAt(0ms));
    EXPECT_EQ(queue.drain(sender, 0ms), 1);
    EXPECT_EQ(sender.sent, std::vector<std::string>{"k36"});
}

// Whatever the timing, every press types the character queued for it, in queue order, and no
// keycode is rebound less than a quarantine after its last press.
TEST(SendQueue, RandomBurstsArriveExactAndInOrder) {
    SpareKeyPool pool({100, 101, 102, 103, 104}, kQ);
    SendQueue queue(pool);
    std::map<int, Millis> lastPress;
    struct Checking : RecordingSender {
        std::map<int, Millis>* last = nullptr;
        Millis now{0};
        void bindSpareKey(int keycode, std::uint32_t keysym) override {
            if (const auto found = last->find(keycode); found != last->end()) {
                EXPECT_GE(now - found->second, kQ) << "keycode " << keycode << " rebound too soon";
            }
            RecordingSender::bindSpareKey(keycode, keysym);
        }
        void typeSpareKey(int keycode) override {
            (*last)[keycode] = now;
            RecordingSender::typeSpareKey(keycode);
        }
    } checking;
    checking.last = &lastPress;
    std::vector<std::string> expected;
    std::uint32_t seed = 7;
    const auto next = [&] { return seed = seed * 1103515245u + 12345u, (seed >> 16) & 0x7FFF; };
    for (int step = 0; step < 2000; ++step) {
        checking.now += Millis(next() % 40);
        if (next() % 4 == 0) {
            const int keycode = static_cast<int>(next() % 50) + 10;
            queue.pushKey(keycode, 0);
            expected.push_back("k" + std::to_string(keycode));
        }
        const auto ch = 0x4E00 + next() % 12;
        queue.pushCharacter(ch);
        expected.push_back("c" + std::to_string(ch));
        queue.drain(checking, checking.now);
    }
    while (!queue.empty()) {
        checking.now = std::max(checking.now, queue.retryAt(checking.now).value_or(checking.now));
        queue.drain(checking, checking.now);
    }
    EXPECT_EQ(checking.sent, expected);
}
