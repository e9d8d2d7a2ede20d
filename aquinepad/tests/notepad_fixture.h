// A notepad main window for widget tests: a temporary program folder with its own 配置.ini, scripted
// prompts and print dialog, and helpers for files in a temporary folder.
#pragma once

#include "aquinepad/editor/plain_editor.h"
#include "aquinepad/print/tests/scripted_print_dialog.h"
#include "aquinepad/skin/skin_engine.h"
#include "aquinepad/speech/espeak_voice.h"
#include "aquinepad/speech/silent_audio_output.h"
#include "aquinepad/update/update_checker.h"
#include "aquinepad/window/main_window.h"
#include "common/qt/gbk_qt.h"
#include "common/qt/scripted_prompter.h"
#include "common/tests/gbk_literal.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QStatusBar>
#include <QTemporaryDir>
#include <memory>

namespace aquinepad::testing {

inline QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

inline void writeAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
}

// Keeps a picture for people to look at after the run, where the build asks for it.
inline void artefact(const QImage& picture, const QString& name) {
    const QString dir = qEnvironmentVariable("AQUINE_ARTEFACTS");
    if (!dir.isEmpty() && QDir().mkpath(dir))
        picture.save(dir + QLatin1Char('/') + name);
}

inline std::string native(const QString& path) { return QFile::encodeName(path).toStdString(); }

inline QByteArray bytes(const std::string& s) { return QByteArray(s.data(), static_cast<qsizetype>(s.size())); }

struct Notepad {
    Notepad() { open(); }
    // A program folder whose name begins with this text, for what the notepad does with its own path.
    explicit Notepad(const QString& programFolderName)
        : programDir(QDir::tempPath() + QLatin1Char('/') + programFolderName + QStringLiteral("-XXXXXX")) {
        open();
    }
    // `look` draws the windows; the others use the inert engine, so pictures do not depend on the settings.
    explicit Notepad(SkinEngine* look) : m_look(look) { open(); }
    // `checker` answers the start-up and menu checks; it must outlive the notepad.
    explicit Notepad(UpdateChecker* checker) : m_updates(checker) { open(); }
    Notepad(SkinEngine* look, UpdateChecker* checker) : m_look(look), m_updates(checker) { open(); }

    QString file(const QString& name) const { return docs.filePath(name); }
    // The file's name as the file system holds it, as the notepad keeps it.
    std::string nativePath(const QString& name) const { return native(file(name)); }
    QString caption() const { return window->windowTitle(); }
    QString statusPath() const {
        const auto labels = window->statusBar()->findChildren<QLabel*>();
        return labels.size() >= 2 ? labels.at(1)->text() : QString();
    }
    // What the user sees typed into the editor.
    void type(const QString& text) {
        window->editor().SendScintilla(QsciScintillaBase::SCI_REPLACESEL, 0ul, text.toUtf8().constData());
    }
    std::string text() { return aquine::codec::utf8ToGbk(window->editor().textView()); }
    QStringList promptTexts() const {
        QStringList out;
        for (const auto& call : prompter.calls())
            out << (call.text.isEmpty() ? call.title : call.text);
        return out;
    }

    QTemporaryDir programDir;
    QTemporaryDir docs;
    aquine::ScriptedPrompter prompter;
    QStringList failures;
    InertSkinEngine skin;
    InertUpdateChecker updates;
    ScriptedPrintDialog printDialog;
    // The real voice, heard on a silent sound card that plays twice as fast: tests make no noise and
    // wait half as long as a listener would.
    EspeakVoices speech{[] { return std::make_unique<SilentAudioOutput>(2.0); }};
    std::unique_ptr<MainWindow> window;

private:
    SkinEngine* m_look = nullptr;
    UpdateChecker* m_updates = nullptr;

    void open() {
        prompter.setFailureHandler([this](const QString& what) { failures << what; });
        printDialog.setFailureHandler([this](const QString& what) { failures << what; });
        window = std::make_unique<MainWindow>(Services{
            .prompter = &prompter,
            .skin = m_look ? m_look : &skin,
            .updates = m_updates ? m_updates : &updates,
            .speech = &speech,
            .programDir = programDir.path().toStdString(),
            .printDialog = &printDialog,
        });
    }
};

inline aquine::Prompter::FileAnswer answer(const QString& path) { return {path, 0}; }

} // namespace aquinepad::testing
