// The reading rules against a fake voice: what is read, which word is selected, what ends a reading,
// and reports that arrive after their reading has ended.
#include "aquinepad/speech/read_aloud.h"

#include "aquinepad/editor/tests/fake_text_editor.h"
#include "aquinepad/speech/tests/fake_speech_voice.h"

#include <deque>
#include <gtest/gtest.h>

using namespace aquinepad;
using aquinepad::testing::FakeSpeechVoices;
using aquinepad::testing::FakeTextEditor;

namespace {

class ReadAloudTest : public ::testing::Test {
protected:
    // The voice's reports wait here until the test lets the "window thread" run them.
    void runPosted() {
        while (!posted.empty()) {
            auto task = std::move(posted.front());
            posted.pop_front();
            task();
        }
    }
    // A word spoken, as the window sees it.
    void say(int position, int length) {
        voices.current->say(position, length);
        runPosted();
    }

    FakeTextEditor editor{"我的abc电脑"};
    FakeSpeechVoices voices;
    std::deque<ReadAloud::Task> posted;
    std::vector<bool> changes;
    ReadAloud reader{editor, voices, [this](ReadAloud::Task task) { posted.push_back(std::move(task)); },
                     [this](bool reading) { changes.push_back(reading); }};
};

} // namespace

TEST_F(ReadAloudTest, ReadsTheWholeTextSelectingEachWordThenGivesTheCaretBack) {
    editor.setSelection({3, 3});
    reader.command(0);
    ASSERT_TRUE(voices.current);
    EXPECT_EQ(voices.current->spoken, std::vector<std::string>{"我的abc电脑"});
    EXPECT_TRUE(reader.isReading());

    const std::vector<std::pair<int, int>> words{{0, 1}, {1, 1}, {2, 3}, {5, 1}, {6, 1}};
    const std::vector<TextRange> selected{{0, 3}, {3, 6}, {6, 9}, {9, 12}, {12, 15}};
    for (std::size_t i = 0; i < words.size(); ++i) {
        say(words[i].first, words[i].second);
        EXPECT_EQ(editor.selection(), selected[i]);
    }
    voices.current->finish();
    runPosted();
    EXPECT_EQ(editor.selection(), (TextRange{3, 3}));
    EXPECT_FALSE(reader.isReading());
    EXPECT_EQ(voices.current, nullptr) << "the voice lives only for the reading";
    EXPECT_EQ(changes, (std::vector<bool>{true, false}));
}

TEST_F(ReadAloudTest, ASelectionIsReadAloneAndComesBackWithItsCaretWhereItWas) {
    editor.setSelection({9, 3}); // "的abc", the caret at its start
    reader.command(0);
    EXPECT_EQ(voices.current->spoken, std::vector<std::string>{"的abc"});
    say(1, 3);
    EXPECT_EQ(editor.selection(), (TextRange{6, 9}));
    voices.current->finish();
    runPosted();
    EXPECT_EQ(editor.selection(), (TextRange{3, 9}));
    EXPECT_EQ(editor.caretPosition(), 3u);
}

TEST_F(ReadAloudTest, TheCommandAgainStopsAndNoLateReportReachesTheNextReading) {
    editor.setSelection({0, 0});
    reader.command(0);
    say(0, 1);
    voices.current->say(1, 1); // on its way to the window when the user stops
    reader.command(0);
    EXPECT_FALSE(reader.isReading());
    EXPECT_EQ(editor.selection(), (TextRange{0, 0}));
    EXPECT_EQ(voices.current, nullptr);

    reader.command(0); // a new reading starts before the old report arrives
    runPosted();
    EXPECT_EQ(editor.selection(), (TextRange{0, 0})) << "a report of the old reading selected a word";
    EXPECT_TRUE(reader.isReading());
    reader.stop(); // Escape
    EXPECT_FALSE(reader.isReading());
    EXPECT_EQ(voices.created, 2);
}

TEST_F(ReadAloudTest, AnEditEndsTheReadingAndNoStalePositionIsSelected) {
    reader.command(0);
    say(2, 3);
    editor.replaceSelection("XYZ文字"); // the user types over the word being read
    const TextRange afterEdit = editor.selection();
    say(5, 1);
    EXPECT_FALSE(reader.isReading());
    EXPECT_EQ(editor.selection(), afterEdit) << "neither a word nor the old selection is selected";
    EXPECT_EQ(editor.text(), "我的XYZ文字电脑");

    // The window's watch catches an edit between two words as well.
    reader.command(0);
    editor.insertAtCaret("!");
    EXPECT_TRUE(reader.isReading());
    reader.watchEditor();
    EXPECT_FALSE(reader.isReading());
    EXPECT_EQ(voices.current, nullptr);
}

TEST_F(ReadAloudTest, HiddenTextEmptyTextOrNoVoiceIsNeverRead) {
    editor.setTextVisible(false);
    reader.command(0);
    editor.setTextVisible(true);
    voices.available = false;
    reader.command(0);
    voices.available = true;
    editor.clearText();
    reader.command(0);
    EXPECT_EQ(voices.created, 0);
    EXPECT_TRUE(changes.empty());

    // Hidden while reading: the reading ends, the selection as it was.
    editor.appendText("有字");
    editor.setSelection({3, 3});
    reader.command(0);
    say(0, 1);
    editor.setTextVisible(false);
    reader.watchEditor();
    EXPECT_FALSE(reader.isReading());
    EXPECT_EQ(editor.selection(), (TextRange{3, 3}));
}

TEST_F(ReadAloudTest, TheRateGoesToTheVoiceAsGivenAndTheSettingIsTruncated) {
    reader.command(15);
    EXPECT_EQ(voices.current->rates, std::vector<int>{15}) << "no clamping: the engine has its own limits";
    reader.stop();

    EXPECT_EQ(speechRateSetting("5.9"), 5);
    EXPECT_EQ(speechRateSetting("-3.7"), -3);
    EXPECT_EQ(speechRateSetting("快"), 0);
    EXPECT_EQ(speechRateSetting("abc"), 0);
    EXPECT_EQ(speechRateSetting(""), 0);
    EXPECT_EQ(speechRateSetting("15"), 15);
    EXPECT_EQ(speechRateSetting("1e30"), std::numeric_limits<int>::max());
}

TEST_F(ReadAloudTest, ClosingTheWindowWhileReadingStopsTheVoiceAndLeavesTheEditorAlone) {
    {
        ReadAloud closing(editor, voices, [this](ReadAloud::Task task) { posted.push_back(std::move(task)); });
        editor.setSelection({3, 3});
        closing.command(0);
        say(0, 1);
    }
    EXPECT_EQ(voices.current, nullptr);
    runPosted(); // the voice's last report finds its reading gone
    EXPECT_EQ(editor.selection(), (TextRange{0, 3}));
}
