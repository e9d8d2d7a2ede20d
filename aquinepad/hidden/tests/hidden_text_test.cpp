// The steps of 隐藏文本 against a fake editor and scripted boxes: when the editor is hidden, which
// answer counts after a cancel, and how each run ends.
#include "aquinepad/editor/tests/fake_text_editor.h"
#include "aquinepad/hidden/hidden_text.h"

#include <deque>
#include <gtest/gtest.h>
#include <vector>

using namespace aquinepad;
using aquinepad::testing::FakeTextEditor;

namespace {

// Answers from a script (nothing = Cancel); records each box with whether the text was visible then.
class ScriptedDialogs : public HiddenTextDialogs {
public:
    ScriptedDialogs(TextEditor& editor, std::deque<std::optional<std::string>> answers)
        : m_editor(editor), m_answers(std::move(answers)) {}

    std::optional<std::string> askPassword(std::string_view title, std::string_view prompt) override {
        boxes.push_back(std::string(title) + "|" + std::string(prompt) + (m_editor.isTextVisible() ? "" : " [hidden]"));
        if (m_answers.empty()) {
            ADD_FAILURE() << "unexpected box " << prompt;
            return std::nullopt;
        }
        auto answer = m_answers.front();
        m_answers.pop_front();
        return answer;
    }
    void tell(std::string_view title, std::string_view text) override {
        messages.push_back(std::string(title) + "|" + std::string(text));
    }

    std::vector<std::string> boxes;
    std::vector<std::string> messages;

private:
    TextEditor& m_editor;
    std::deque<std::optional<std::string>> m_answers;
};

} // namespace

TEST(HiddenText, EntriesThatDifferHideNothing) {
    FakeTextEditor editor("文本");
    ScriptedDialogs dialogs(editor, {"abc", "abC"});
    EXPECT_EQ(runHiddenText(editor, dialogs), HiddenTextEnd::Mismatch);
    EXPECT_EQ(dialogs.boxes, (std::vector<std::string>{"请输入显示密码|请输入显示文本的密码（文字框会被隐藏掉）：",
                                                       "请输入显示密码|请再输入一次密码："}));
    EXPECT_EQ(dialogs.messages, (std::vector<std::string>{"两次的密码不相同|两次输入的密码不相同，请重设。"}));
    EXPECT_TRUE(editor.isTextVisible());
}

TEST(HiddenText, TheRightAnswerAtTheSecondAttemptShowsTheDocumentAsItWas) {
    FakeTextEditor editor("秘密的文本");
    editor.setSelection({3, 6});
    editor.insertAtCaret("x"); // modified
    editor.setSelection({3, 6});
    ScriptedDialogs dialogs(editor, {"密码", "密码", "错", "密码"});
    EXPECT_EQ(runHiddenText(editor, dialogs), HiddenTextEnd::Shown);
    EXPECT_EQ(dialogs.boxes,
              (std::vector<std::string>{"请输入显示密码|请输入显示文本的密码（文字框会被隐藏掉）：",
                                        "请输入显示密码|请再输入一次密码：", "请输入密码|请输入密码（1/3)： [hidden]",
                                        "请输入密码|请重新输入密码(2/3)： [hidden]"}));
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_TRUE(editor.isTextVisible());
    EXPECT_EQ(editor.text(), "秘密x的文本");
    EXPECT_EQ(editor.selection(), (TextRange{3, 6}));
    EXPECT_TRUE(editor.isModified());
}

TEST(HiddenText, AnEmptyPasswordOrCancelledBoxesHideAndAnEmptyAnswerShows) {
    FakeTextEditor editor;
    ScriptedDialogs cancelled(editor, {std::nullopt, std::nullopt, std::nullopt});
    EXPECT_EQ(runHiddenText(editor, cancelled), HiddenTextEnd::Shown);
    EXPECT_EQ(cancelled.boxes.size(), 3u);
    EXPECT_EQ(cancelled.boxes.back(), "请输入密码|请输入密码（1/3)： [hidden]");

    ScriptedDialogs empty(editor, {"", "", ""});
    EXPECT_EQ(runHiddenText(editor, empty), HiddenTextEnd::Shown);
}

TEST(HiddenText, ACancelledAttemptRepeatsThePreviousAnswer) {
    FakeTextEditor editor;
    // Wrong, then Cancel (the same wrong answer again), then right.
    ScriptedDialogs dialogs(editor, {"pw", "pw", "no", std::nullopt, "pw"});
    EXPECT_EQ(runHiddenText(editor, dialogs), HiddenTextEnd::Shown);
    EXPECT_EQ(dialogs.boxes.size(), 5u);

    // A later run keeps nothing of this one: its own password, and answers from empty.
    ScriptedDialogs second(editor, {"new", "new", "pw", std::nullopt, std::nullopt});
    EXPECT_EQ(runHiddenText(editor, second), HiddenTextEnd::WrongThreeTimes);
}

TEST(HiddenText, ThreeWrongAnswersEndWithTheFailureMessageAndTheTextStillHidden) {
    FakeTextEditor editor("不能看");
    ScriptedDialogs dialogs(editor, {"a", "a", "b", "c", "A"});
    EXPECT_EQ(runHiddenText(editor, dialogs), HiddenTextEnd::WrongThreeTimes);
    EXPECT_EQ(dialogs.boxes.back(), "请输入密码|请重新输入密码(3/3)： [hidden]");
    EXPECT_EQ(dialogs.messages, (std::vector<std::string>{"输入错误|密码错误！为了保护数据，将退出"}));
    EXPECT_FALSE(editor.isTextVisible());
}
