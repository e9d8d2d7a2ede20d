// espeak-ng as the notepad's voice: Mandarin ("cmn") unless another is chosen, synthesised into memory
// on a thread of the voice's own and heard through an AudioOutput, each word reported when the output
// has played up to it.
#pragma once

#include "aquinepad/speech/alsa_audio_output.h"
#include "aquinepad/speech/audio_output.h"
#include "aquinepad/speech/speech_voice.h"

#include <atomic>
#include <functional>
#include <thread>

namespace aquinepad {

// The notepad's rate scale as espeak-ng's words per minute: 175 * 3^(rate / 10). 0 is espeak-ng's
// normal 175, 10 is three times as fast (525) and -10 three times as slow (58); each step is the same
// factor, so equal steps sound like equal changes. Values past either end follow the same curve and
// espeak-ng applies its own limits: it speaks no slower than 80, which is about half its normal speed.
int espeakWordsPerMinute(int rate);

class EspeakVoice : public SpeechVoice {
public:
    // preferredVoice: an espeak-ng voice name or language; where it has none, its default voice speaks.
    explicit EspeakVoice(std::unique_ptr<AudioOutput> output, std::string preferredVoice = "cmn");
    ~EspeakVoice() override;

    std::vector<std::string> listVoices() override;
    bool selectVoice(std::string_view description) override;
    void setRate(int rate) override { m_rate = rate; }
    void setVolume(int volume) override { m_volume = volume; }
    int speak(std::string text, SpeechProgress progress, bool reportProgress) override;
    // Must not be called from inside progress.
    void stop() override;

private:
    struct Job {
        std::string text;
        SpeechProgress progress;
        bool report;
        std::string voice;
        int rate;
        int volume;
    };
    void run(Job job);

    std::unique_ptr<AudioOutput> m_output;
    std::string m_voice;
    int m_rate = 0;
    int m_volume = 100;
    std::atomic<bool> m_stopping = false;
    std::thread m_worker;
};

class EspeakVoices : public SpeechVoices {
public:
    using OutputMaker = std::function<std::unique_ptr<AudioOutput>()>;
    // makeOutput: where each voice is heard; the sound card unless told otherwise.
    explicit EspeakVoices(OutputMaker makeOutput = systemAudioOutput) : m_makeOutput(std::move(makeOutput)) {}
    std::unique_ptr<SpeechVoice> create() override { return std::make_unique<EspeakVoice>(m_makeOutput()); }

private:
    OutputMaker m_makeOutput;
};

} // namespace aquinepad
