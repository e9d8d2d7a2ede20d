// The sound card through ALSA, which on a desktop also reaches PulseAudio and PipeWire. Never blocks
// for long: a device that stops taking samples is given up as failed.
#pragma once

#include "aquinepad/speech/audio_output.h"

#include <atomic>
#include <string>

typedef struct _snd_pcm snd_pcm_t;

namespace aquinepad {

class AlsaAudioOutput : public AudioOutput {
public:
    // device: an ALSA device name ("default" is the desktop's choice).
    explicit AlsaAudioOutput(std::string device = "default") : m_device(std::move(device)) {}
    ~AlsaAudioOutput() override { close(); }

    bool open(int sampleRate) override;
    bool write(std::span<const std::int16_t> samples) override;
    void endOfSpeech() override;
    std::size_t queuedSamples() override;
    void close() override;
    void interrupt() override { m_interrupted = true; }

private:
    std::string m_device;
    snd_pcm_t* m_pcm = nullptr;
    std::atomic<bool> m_interrupted = false;
};

// The sound card, or where there is none, silence that keeps the speech's time.
std::unique_ptr<AudioOutput> systemAudioOutput();

} // namespace aquinepad
