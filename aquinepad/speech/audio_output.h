// Where synthesised speech is heard: a sound card, or something standing in for one. Samples are
// 16-bit mono, played in the order written.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

namespace aquinepad {

// Driven by one thread at a time (a voice's own); interrupt() alone may come from any thread.
class AudioOutput {
public:
    virtual ~AudioOutput() = default;

    // Gets ready to play at this sample rate; false when nothing can be played.
    virtual bool open(int sampleRate) = 0;
    // Queues the samples, waiting while the queue is full. False when interrupted or the device failed.
    virtual bool write(std::span<const std::int16_t> samples) = 0;
    // No more samples are coming: what is queued plays out even if it never filled the queue.
    virtual void endOfSpeech() = 0;
    // How many of the samples written have not been heard yet.
    virtual std::size_t queuedSamples() = 0;
    // Stops at once, dropping what is queued. The next open() starts afresh.
    virtual void close() = 0;
    // Makes a write() waiting for room give up, now and until the next open().
    virtual void interrupt() = 0;
};

// The first of two outputs that opens: the sound card, else a stand-in.
class FallbackAudioOutput : public AudioOutput {
public:
    FallbackAudioOutput(std::unique_ptr<AudioOutput> first, std::unique_ptr<AudioOutput> second)
        : m_first(std::move(first)), m_second(std::move(second)) {}

    bool open(int sampleRate) override {
        m_active = m_first->open(sampleRate) ? m_first.get() : m_second->open(sampleRate) ? m_second.get() : nullptr;
        return m_active != nullptr;
    }
    bool write(std::span<const std::int16_t> samples) override { return m_active && m_active->write(samples); }
    void endOfSpeech() override {
        if (m_active)
            m_active->endOfSpeech();
    }
    std::size_t queuedSamples() override { return m_active ? m_active->queuedSamples() : 0; }
    void close() override {
        if (m_active)
            m_active->close();
        m_active = nullptr;
    }
    void interrupt() override {
        m_first->interrupt();
        m_second->interrupt();
    }

private:
    std::unique_ptr<AudioOutput> m_first;
    std::unique_ptr<AudioOutput> m_second;
    AudioOutput* m_active = nullptr;
};

} // namespace aquinepad
