// A sound card for tests of the real voice: it plays everything at once and keeps every sample, or
// cannot be opened at all.
#pragma once

#include "aquinepad/speech/audio_output.h"

#include <vector>

namespace aquinepad::testing {

class RecordingSoundCard : public AudioOutput {
public:
    explicit RecordingSoundCard(std::vector<std::int16_t>& samples, bool present = true)
        : m_samples(samples), m_present(present) {}

    bool open(int sampleRate) override {
        m_samples.clear();
        return m_present && sampleRate > 0;
    }
    bool write(std::span<const std::int16_t> samples) override {
        m_samples.insert(m_samples.end(), samples.begin(), samples.end());
        return true;
    }
    void endOfSpeech() override {}
    std::size_t queuedSamples() override { return 0; }
    void close() override {}
    void interrupt() override {}

private:
    std::vector<std::int16_t>& m_samples;
    bool m_present;
};

} // namespace aquinepad::testing
