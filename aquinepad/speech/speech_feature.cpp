// The reading's Qt side: the voice's reports come back to the window thread as queued calls, a timer
// watches the editor while it reads, and Escape stops it. The window never waits for the voice.
#include "aquinepad/speech/speech_feature.h"

#include "aquinepad/feature/command_table.h"
#include "aquinepad/feature/notepad_context.h"
#include "aquinepad/speech/espeak_voice.h"
#include "aquinepad/speech/read_aloud.h"

#include <QKeySequence>
#include <QPointer>
#include <QShortcut>
#include <QTimer>
#include <QWidget>
#include <memory>

namespace aquinepad {

namespace {

// An edit or the text hidden ends the reading within this time, even between two words.
constexpr int kWatchMilliseconds = 100;

class ReadAloudCommand {
public:
    explicit ReadAloudCommand(NotepadContext& context)
        : m_context(context), m_escape(new QShortcut(QKeySequence(Qt::Key_Escape), context.window.dialogParent())),
          m_reader(
              context.editor, context.speech ? *context.speech : m_notepadVoices,
              [this](ReadAloud::Task task) {
                  QMetaObject::invokeMethod(&m_windowThread, std::move(task), Qt::QueuedConnection);
              },
              [this](bool reading) { readingChanged(reading); }) {
        // Only while reading, so Escape means nothing new to the window otherwise.
        m_escape->setEnabled(false);
        QObject::connect(m_escape, &QShortcut::activated, &m_windowThread, [this] { m_reader.stop(); });
        m_watch.setInterval(kWatchMilliseconds);
        QObject::connect(&m_watch, &QTimer::timeout, &m_windowThread, [this] { m_reader.watchEditor(); });
    }

    void run() { m_reader.command(speechRateSetting(m_context.settings.read(SettingKey::SpeechRate))); }

private:
    void readingChanged(bool reading) {
        if (m_escape)
            m_escape->setEnabled(reading);
        if (reading)
            m_watch.start();
        else
            m_watch.stop();
    }

    NotepadContext& m_context;
    EspeakVoices m_notepadVoices;
    // Where the voice's reports are delivered: it lives on the window thread.
    QObject m_windowThread;
    QTimer m_watch;
    QPointer<QShortcut> m_escape; // owned by the window
    // Last: it stops the voice's thread before the members above go.
    ReadAloud m_reader;
};

} // namespace

void installReadAloud(CommandTable& commands, NotepadContext& context) {
    commands.add(Command::ReadAloud, [command = std::make_shared<ReadAloudCommand>(context)] { command->run(); });
}

} // namespace aquinepad
