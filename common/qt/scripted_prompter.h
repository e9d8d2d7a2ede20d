// A Prompter for tests: answers come from a script, in order, and every prompt is recorded so tests
// can check its texts. A prompt the script did not expect fails the test at once (by default the
// process aborts with the prompt's text) instead of waiting for a click that never comes.
#pragma once

#include "common/qt/prompter.h"

#include <QList>
#include <functional>
#include <variant>

namespace aquine {

class ScriptedPrompter : public Prompter {
public:
    enum class Kind { Message, Input, Password, OpenFile, SaveFile, Font };

    struct Call {
        Kind kind;
        QString title;
        QString text; // message text or input prompt
        Icon icon = Icon::None;
        Buttons buttons = Buttons::Ok;
        QString initialText;
        FileRequest file;
    };

    ScriptedPrompter();

    ScriptedPrompter& answerMessage(Button button);
    ScriptedPrompter& answerInput(bool accepted, const QString& text = {});
    ScriptedPrompter& answerPassword(bool accepted, const QString& text = {});
    ScriptedPrompter& answerOpenFile(std::optional<FileAnswer> answer);
    ScriptedPrompter& answerSaveFile(std::optional<FileAnswer> answer);
    ScriptedPrompter& answerFont(std::optional<FontAnswer> answer);

    const QList<Call>& calls() const { return m_calls; }
    qsizetype pending() const { return m_script.size(); }

    // Called with a description of an unexpected prompt. The default prints it and aborts.
    void setFailureHandler(std::function<void(const QString&)> handler) { m_fail = std::move(handler); }

    Button message(const QString& text, const QString& title, Icon icon, Buttons buttons) override;
    InputAnswer input(const QString& prompt, const QString& title, const QString& initialText) override;
    InputAnswer inputPassword(const QString& prompt, const QString& title) override;
    std::optional<FileAnswer> openFile(const FileRequest& request) override;
    std::optional<FileAnswer> saveFile(const FileRequest& request) override;
    std::optional<FontAnswer> chooseFont(const QFont& initialFont, const QColor& initialColor) override;

private:
    using Answer = std::variant<Button, InputAnswer, std::optional<FileAnswer>, std::optional<FontAnswer>>;
    struct Step {
        Kind kind;
        Answer answer;
    };

    // The next scripted answer for a prompt of this kind, or nothing (after reporting) when the script
    // has no such step.
    std::optional<Answer> take(const Call& call);

    QList<Step> m_script;
    QList<Call> m_calls;
    std::function<void(const QString&)> m_fail;
};

} // namespace aquine
