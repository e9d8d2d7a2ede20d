// The reading: one voice per reading, its reports turned into selections of the words it speaks.
#include "aquinepad/speech/read_aloud.h"

#include "aquinepad/speech/spoken_text.h"
#include "common/numbers.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace aquinepad {

int speechRateSetting(std::string_view gbk) {
    constexpr std::int64_t low = std::numeric_limits<int>::min();
    constexpr std::int64_t high = std::numeric_limits<int>::max();
    return static_cast<int>(std::clamp(aquine::toInteger(gbk), low, high));
}

struct ReadAloud::Reading {
    Reading(std::string_view utf8, std::size_t start, TextRange selection, std::size_t caret, std::uint64_t version)
        : text(utf8), start(start), userSelection(selection), userCaret(caret), textVersion(version) {}

    SpokenText text;
    std::size_t start; // where the text read begins in the editor
    TextRange userSelection;
    std::size_t userCaret;
    std::uint64_t textVersion;
    // Last, so it is destroyed first: its thread may still be reading the text above.
    std::unique_ptr<SpeechVoice> voice;
};

ReadAloud::ReadAloud(TextEditor& editor, SpeechVoices& voices, PostToWindow post, ReadingChanged changed)
    : m_editor(editor), m_voices(voices), m_post(std::move(post)), m_changed(std::move(changed)) {}

ReadAloud::~ReadAloud() {
    if (m_reading)
        m_reading->voice->stop();
}

void ReadAloud::command(int rate) {
    if (m_reading) {
        stop();
        return;
    }
    if (!m_editor.isTextVisible())
        return;
    const TextRange selection = m_editor.selection();
    const std::string_view all = m_editor.textView();
    const TextRange range = selection.empty() ? TextRange{0, all.size()} : selection;
    if (range.empty())
        return;
    std::unique_ptr<SpeechVoice> voice = m_voices.create();
    if (!voice)
        return;
    voice->setRate(rate);

    auto reading = std::make_shared<Reading>(all.substr(range.start, range.end - range.start), range.start, selection,
                                             m_editor.caretPosition(), m_editor.textVersion());
    reading->voice = std::move(voice);
    m_reading = reading;
    if (m_changed)
        m_changed(true);
    // A report that arrives after its reading ended, or after a new one began, finds its reading gone
    // and is dropped: only the window thread ever holds the reading itself.
    std::weak_ptr<Reading> weak = reading;
    auto progress = [this, post = m_post, weak](bool finished, int position, int length) {
        post([this, weak, finished, position, length] {
            if (const auto alive = weak.lock())
                onProgress(*alive, finished, position, length);
        });
    };
    reading->voice->speak(reading->text.forEngine(), std::move(progress), true);
}

void ReadAloud::onProgress(const Reading& reading, bool finished, int position, int length) {
    if (!textUnchanged(reading)) {
        watchEditor();
        return;
    }
    if (finished) {
        end(true);
        return;
    }
    if (position < 0 || length <= 0)
        return;
    const TextRange word = reading.text.bytesOf(static_cast<std::size_t>(position), static_cast<std::size_t>(length));
    m_editor.setSelection({reading.start + word.start, reading.start + word.end});
}

bool ReadAloud::textUnchanged(const Reading& reading) const { return m_editor.textVersion() == reading.textVersion; }

void ReadAloud::watchEditor() {
    if (!m_reading)
        return;
    if (!textUnchanged(*m_reading))
        end(false); // the user's selection no longer means what it meant
    else if (!m_editor.isTextVisible())
        end(true);
}

void ReadAloud::stop() {
    if (m_reading)
        end(true);
}

void ReadAloud::end(bool restoreSelection) {
    const std::shared_ptr<Reading> reading = std::exchange(m_reading, nullptr);
    reading->voice->stop();
    if (restoreSelection) {
        // Back as the user left it, the caret at the same end.
        const TextRange user = reading->userSelection;
        m_editor.setSelection(reading->userCaret == user.start ? TextRange{user.end, user.start} : user);
    }
    if (m_changed)
        m_changed(false);
}

} // namespace aquinepad
