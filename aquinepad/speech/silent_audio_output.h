// A sound card that makes no sound: it takes samples as fast as a real one would play them, so
// whatever follows the speech keeps time with it. Stands in where no sound card can be opened.
#pragma once

#include "aquinepad/speech/audio_output.h"

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace aquinepad {

class SilentAudioOutput : public AudioOutput {
public:
    // speed: how many times faster than real time it "plays" (tests need not wait in real time).
    explicit SilentAudioOutput(double speed = 1.0) : m_speed(speed) {}

    bool open(int sampleRate) override;
    bool write(std::span<const std::int16_t> samples) override;
    void endOfSpeech() override {}
    std::size_t queuedSamples() override;
    void close() override;
    void interrupt() override;

private:
    using Clock = std::chrono::steady_clock;

    // The time it takes to hear this many samples.
    Clock::duration duration(std::size_t samples) const;

    const double m_speed;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_interrupted = false;
    int m_sampleRate = 0;
    // When the last sample written will have been heard; in the past when the queue is empty.
    Clock::time_point m_heardBy;
};

} // namespace aquinepad
