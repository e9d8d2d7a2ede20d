// "朗读文档(&R)": reads the selection, or the whole text when nothing is selected, with the word being
// spoken selected as it goes; the command again, Escape or any change of the text ends it.
#pragma once

#include "aquinepad/editor/text_editor.h"
#include "aquinepad/speech/speech_voice.h"

#include <functional>
#include <memory>
#include <string_view>

namespace aquinepad {

// "朗读速度" as stored: a number, truncated toward zero; anything else is 0. No range is imposed.
int speechRateSetting(std::string_view gbk);

// Lives on the window thread. The voice reports from a thread of its own; those reports come back
// through `post`, which must run each task later on the window thread, in order.
class ReadAloud {
public:
    using Task = std::function<void()>;
    using PostToWindow = std::function<void(Task)>;
    // Told when a reading starts (true) and ends (false).
    using ReadingChanged = std::function<void(bool reading)>;

    ReadAloud(TextEditor& editor, SpeechVoices& voices, PostToWindow post, ReadingChanged changed = {});
    // Stops a reading without touching the editor: the window is going away.
    ~ReadAloud();
    ReadAloud(const ReadAloud&) = delete;
    ReadAloud& operator=(const ReadAloud&) = delete;

    // The menu command: stops the reading in progress, else starts one at this rate. While the text is
    // hidden it does nothing.
    void command(int rate);
    // Ends the reading, if any, and gives the user's selection back.
    void stop();
    // For the window to call often while reading: a text changed or hidden since the reading started
    // ends it at once. Every report from the voice is checked the same way first.
    void watchEditor();
    bool isReading() const { return m_reading != nullptr; }

private:
    struct Reading;

    void onProgress(const Reading& reading, bool finished, int position, int length);
    // Whether the editor still shows the text the reading started from.
    bool textUnchanged(const Reading& reading) const;
    void end(bool restoreSelection);

    TextEditor& m_editor;
    SpeechVoices& m_voices;
    PostToWindow m_post;
    ReadingChanged m_changed;
    std::shared_ptr<Reading> m_reading;
};

} // namespace aquinepad
