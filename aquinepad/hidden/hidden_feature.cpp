// The password boxes are the prompter's password boxes: a password shown on screen while it is typed
// would defeat the command.
#include "aquinepad/hidden/hidden_feature.h"

#include "aquinepad/feature/command_table.h"
#include "aquinepad/feature/notepad_context.h"
#include "aquinepad/hidden/hidden_text.h"

namespace aquinepad {

namespace {

QString qText(std::string_view utf8) { return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())); }

class PrompterDialogs : public HiddenTextDialogs {
public:
    explicit PrompterDialogs(aquine::Prompter& prompter) : m_prompter(prompter) {}

    std::optional<std::string> askPassword(std::string_view title, std::string_view prompt) override {
        const auto answer = m_prompter.inputPassword(qText(prompt), qText(title));
        if (!answer.accepted)
            return std::nullopt;
        return answer.text.toStdString();
    }
    void tell(std::string_view title, std::string_view text) override {
        m_prompter.message(qText(text), qText(title), aquine::Prompter::Icon::None, aquine::Prompter::Buttons::Ok);
    }

private:
    aquine::Prompter& m_prompter;
};

} // namespace

void installHiddenText(CommandTable& commands, NotepadContext& context) {
    commands.add(Command::HiddenText, [&context] {
        PrompterDialogs dialogs(context.prompter);
        if (runHiddenText(context.editor, dialogs) == HiddenTextEnd::WrongThreeTimes)
            context.window.endProgramAtOnce();
    });
}

} // namespace aquinepad
