// The steps of 隐藏文本 with the texts of their boxes.
#include "aquinepad/hidden/hidden_text.h"

#include <array>

namespace aquinepad {

namespace {

constexpr std::string_view kChooseTitle = "请输入显示密码";
constexpr std::string_view kChoosePrompt = "请输入显示文本的密码（文字框会被隐藏掉）：";
constexpr std::string_view kConfirmPrompt = "请再输入一次密码：";
constexpr std::string_view kMismatchTitle = "两次的密码不相同";
constexpr std::string_view kMismatchText = "两次输入的密码不相同，请重设。";
constexpr std::string_view kAttemptTitle = "请输入密码";
// The first opens with a full-width bracket and closes with a half-width one; these are the texts.
constexpr std::array<std::string_view, 3> kAttemptPrompts = {"请输入密码（1/3)：", "请重新输入密码(2/3)：",
                                                             "请重新输入密码(3/3)："};
constexpr std::string_view kFailureTitle = "输入错误";
constexpr std::string_view kFailureText = "密码错误！为了保护数据，将退出";

// A box's text, or what the variable held before when it was cancelled.
void ask(HiddenTextDialogs& dialogs, std::string_view title, std::string_view prompt, std::string& variable) {
    if (auto typed = dialogs.askPassword(title, prompt))
        variable = std::move(*typed);
}

} // namespace

HiddenTextEnd runHiddenText(TextEditor& editor, HiddenTextDialogs& dialogs) {
    std::string password;
    std::string confirmation;
    ask(dialogs, kChooseTitle, kChoosePrompt, password);
    ask(dialogs, kChooseTitle, kConfirmPrompt, confirmation);
    if (password != confirmation) {
        dialogs.tell(kMismatchTitle, kMismatchText);
        return HiddenTextEnd::Mismatch;
    }

    editor.setTextVisible(false);
    std::string answer;
    for (const std::string_view prompt : kAttemptPrompts) {
        ask(dialogs, kAttemptTitle, prompt, answer);
        if (answer == password) {
            editor.setTextVisible(true);
            return HiddenTextEnd::Shown;
        }
    }
    dialogs.tell(kFailureTitle, kFailureText);
    return HiddenTextEnd::WrongThreeTimes;
}

} // namespace aquinepad
