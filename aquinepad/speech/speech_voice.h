// The speech voice wrapper: what the notepad asks of a text-to-speech voice, whatever engine is behind
// it. The notepad's voice is espeak-ng (espeak_voice.h); tests of the read-aloud rules use a fake.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace aquinepad {

// What the voice says while it speaks. position and length count characters (Unicode code points) of
// the text given to speak(), position from 0: the word being spoken. The last call has finished set
// and repeats the last word reported (0, 0 when none was).
using SpeechProgress = std::function<void(bool finished, int position, int length)>;

// create is the voice's construction, destroy its destruction (which stops any speech first).
class SpeechVoice {
public:
    virtual ~SpeechVoice() = default;

    // The description of every voice the engine has, in its own order.
    virtual std::vector<std::string> listVoices() = 0;
    // Makes the voice with exactly this description the one that speaks; false, and the voice
    // unchanged, when there is none.
    virtual bool selectVoice(std::string_view description) = 0;
    // The notepad's scale: 0 normal, -10 slowest, 10 fastest. Values beyond it are passed on and the
    // engine's own limits apply.
    virtual void setRate(int rate) = 0;
    // 100 is full volume. Passed on unchecked, like the rate.
    virtual void setVolume(int volume) = 0;
    // Starts speaking the UTF-8 text and returns at once, with 0 or the engine's reason it cannot
    // speak. A speech still running is stopped first. progress is called from a thread of the voice's
    // own: with each new word when reportProgress is set, and once at the end whatever happens (the
    // text spoken, stopped, or nothing could be spoken).
    virtual int speak(std::string text, SpeechProgress progress, bool reportProgress) = 0;
    // Ends the speech at once. When it returns, progress is called no more.
    virtual void stop() = 0;
};

// Where the notepad gets a voice for each reading.
class SpeechVoices {
public:
    virtual ~SpeechVoices() = default;
    // Null when there is no speech at all.
    virtual std::unique_ptr<SpeechVoice> create() = 0;
};

} // namespace aquinepad
