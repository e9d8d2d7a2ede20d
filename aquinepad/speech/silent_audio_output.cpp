// The silent card's queue is a point in time: when what was written will have been heard.
#include "aquinepad/speech/silent_audio_output.h"

#include <algorithm>

namespace aquinepad {

namespace {

// As much as a real card would hold before making the writer wait.
constexpr auto kQueueTime = std::chrono::milliseconds(100);

} // namespace

SilentAudioOutput::Clock::duration SilentAudioOutput::duration(std::size_t samples) const {
    const double seconds = static_cast<double>(samples) / (m_sampleRate * m_speed);
    return std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
}

bool SilentAudioOutput::open(int sampleRate) {
    std::lock_guard lock(m_mutex);
    if (sampleRate <= 0 || !(m_speed > 0))
        return false;
    m_sampleRate = sampleRate;
    m_interrupted = false;
    m_heardBy = Clock::now();
    return true;
}

bool SilentAudioOutput::write(std::span<const std::int16_t> samples) {
    std::unique_lock lock(m_mutex);
    if (m_sampleRate == 0)
        return false;
    // A card that ran dry starts again from now, not from where it stopped.
    m_heardBy = std::max(m_heardBy, Clock::now());
    const auto roomAt = [&] { return m_heardBy - kQueueTime; };
    while (!m_interrupted && Clock::now() < roomAt())
        m_wake.wait_until(lock, roomAt());
    if (m_interrupted)
        return false;
    m_heardBy += duration(samples.size());
    return true;
}

std::size_t SilentAudioOutput::queuedSamples() {
    std::lock_guard lock(m_mutex);
    const auto left = m_heardBy - Clock::now();
    if (m_sampleRate == 0 || left <= Clock::duration::zero())
        return 0;
    return static_cast<std::size_t>(std::chrono::duration<double>(left).count() * m_sampleRate * m_speed + 0.5);
}

void SilentAudioOutput::close() {
    std::lock_guard lock(m_mutex);
    m_sampleRate = 0;
}

void SilentAudioOutput::interrupt() {
    {
        std::lock_guard lock(m_mutex);
        m_interrupted = true;
    }
    m_wake.notify_all();
}

} // namespace aquinepad
