// Scripted answers for tests.
#include "common/qt/scripted_prompter.h"

#include <cstdio>
#include <cstdlib>

namespace aquine {

namespace {

const char* kindName(ScriptedPrompter::Kind kind) {
    switch (kind) {
    case ScriptedPrompter::Kind::Message: return "message box";
    case ScriptedPrompter::Kind::Input: return "input box";
    case ScriptedPrompter::Kind::Password: return "password box";
    case ScriptedPrompter::Kind::OpenFile: return "open-file dialog";
    case ScriptedPrompter::Kind::SaveFile: return "save-file dialog";
    case ScriptedPrompter::Kind::Font: return "font dialog";
    }
    return "prompt";
}

} // namespace

ScriptedPrompter::ScriptedPrompter()
    : m_fail([](const QString& what) {
          std::fprintf(stderr, "ScriptedPrompter: %s\n", what.toUtf8().constData());
          std::fflush(stderr);
          std::abort();
      }) {}

ScriptedPrompter& ScriptedPrompter::answerMessage(Button button) {
    m_script.append({Kind::Message, button});
    return *this;
}
ScriptedPrompter& ScriptedPrompter::answerInput(bool accepted, const QString& text) {
    m_script.append({Kind::Input, InputAnswer{accepted, text}});
    return *this;
}
ScriptedPrompter& ScriptedPrompter::answerPassword(bool accepted, const QString& text) {
    m_script.append({Kind::Password, InputAnswer{accepted, text}});
    return *this;
}
ScriptedPrompter& ScriptedPrompter::answerOpenFile(std::optional<FileAnswer> answer) {
    m_script.append({Kind::OpenFile, std::move(answer)});
    return *this;
}
ScriptedPrompter& ScriptedPrompter::answerSaveFile(std::optional<FileAnswer> answer) {
    m_script.append({Kind::SaveFile, std::move(answer)});
    return *this;
}
ScriptedPrompter& ScriptedPrompter::answerFont(std::optional<FontAnswer> answer) {
    m_script.append({Kind::Font, std::move(answer)});
    return *this;
}

std::optional<ScriptedPrompter::Answer> ScriptedPrompter::take(const Call& call) {
    m_calls.append(call);
    const QString shown =
        QStringLiteral("%1 \"%2\" (title \"%3\")").arg(QString::fromLatin1(kindName(call.kind)), call.text, call.title);
    if (m_script.isEmpty()) {
        m_fail(QStringLiteral("unscripted ") + shown);
        return std::nullopt;
    }
    if (m_script.first().kind != call.kind) {
        m_fail(
            QStringLiteral("expected a %1, got %2").arg(QString::fromLatin1(kindName(m_script.first().kind)), shown));
        return std::nullopt;
    }
    return m_script.takeFirst().answer;
}

Prompter::Button ScriptedPrompter::message(const QString& text, const QString& title, Icon icon, Buttons buttons) {
    const auto answer = take({Kind::Message, title, text, icon, buttons, {}, {}});
    if (!answer)
        return buttons == Buttons::Ok ? Button::Ok : (buttons == Buttons::YesNo ? Button::No : Button::Cancel);
    return std::get<Button>(*answer);
}

Prompter::InputAnswer ScriptedPrompter::input(const QString& prompt, const QString& title, const QString& initialText) {
    const auto answer = take({Kind::Input, title, prompt, Icon::None, Buttons::Ok, initialText, {}});
    return answer ? std::get<InputAnswer>(*answer) : InputAnswer{};
}

Prompter::InputAnswer ScriptedPrompter::inputPassword(const QString& prompt, const QString& title) {
    const auto answer = take({Kind::Password, title, prompt, Icon::None, Buttons::Ok, {}, {}});
    return answer ? std::get<InputAnswer>(*answer) : InputAnswer{};
}

std::optional<Prompter::FileAnswer> ScriptedPrompter::openFile(const FileRequest& request) {
    const auto answer = take({Kind::OpenFile, request.title, {}, Icon::None, Buttons::Ok, {}, request});
    return answer ? std::get<std::optional<FileAnswer>>(*answer) : std::nullopt;
}

std::optional<Prompter::FileAnswer> ScriptedPrompter::saveFile(const FileRequest& request) {
    const auto answer = take({Kind::SaveFile, request.title, {}, Icon::None, Buttons::Ok, {}, request});
    return answer ? std::get<std::optional<FileAnswer>>(*answer) : std::nullopt;
}

std::optional<Prompter::FontAnswer> ScriptedPrompter::chooseFont(const QFont& initialFont, const QColor& initialColor) {
    Q_UNUSED(initialFont);
    Q_UNUSED(initialColor);
    const auto answer = take({Kind::Font, {}, {}, Icon::None, Buttons::Ok, {}, {}});
    return answer ? std::get<std::optional<FontAnswer>>(*answer) : std::nullopt;
}

} // namespace aquine
