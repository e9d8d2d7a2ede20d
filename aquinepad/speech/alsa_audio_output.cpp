// ALSA in non-blocking mode: every wait is bounded, so a stop is heard within a fraction of a second
// and a device that hangs cannot hang the speech.
#include "aquinepad/speech/alsa_audio_output.h"

#include "aquinepad/speech/silent_audio_output.h"

#include <alsa/asoundlib.h>
#include <chrono>
#include <mutex>

namespace aquinepad {

namespace {

constexpr unsigned kLatencyMicroseconds = 100'000;
constexpr int kWaitSliceMilliseconds = 50;
// A device that takes nothing for this long has failed.
constexpr auto kStallLimit = std::chrono::seconds(2);

// ALSA prints every failure to standard error; a machine without a sound card would show its
// configuration errors at each reading. The failure itself is in the result codes.
void quiet(const char*, int, const char*, int, const char*, ...) {}

} // namespace

bool AlsaAudioOutput::open(int sampleRate) {
    static std::once_flag silenced;
    std::call_once(silenced, [] { snd_lib_error_set_handler(quiet); });
    close();
    m_interrupted = false;
    if (snd_pcm_open(&m_pcm, m_device.c_str(), SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK) < 0) {
        m_pcm = nullptr;
        return false;
    }
    if (snd_pcm_set_params(m_pcm, SND_PCM_FORMAT_S16, SND_PCM_ACCESS_RW_INTERLEAVED, 1,
                           static_cast<unsigned>(sampleRate), 1, kLatencyMicroseconds) < 0) {
        close();
        return false;
    }
    return true;
}

bool AlsaAudioOutput::write(std::span<const std::int16_t> samples) {
    if (!m_pcm)
        return false;
    auto lastProgress = std::chrono::steady_clock::now();
    while (!samples.empty()) {
        if (m_interrupted)
            return false;
        const snd_pcm_sframes_t written = snd_pcm_writei(m_pcm, samples.data(), samples.size());
        if (written == -EAGAIN) {
            if (std::chrono::steady_clock::now() - lastProgress > kStallLimit)
                return false;
            snd_pcm_wait(m_pcm, kWaitSliceMilliseconds);
        } else if (written < 0) {
            // An underrun (the synthesis fell behind) or a suspend: recoverable once.
            if (snd_pcm_recover(m_pcm, static_cast<int>(written), 1) < 0)
                return false;
        } else {
            samples = samples.subspan(static_cast<std::size_t>(written));
            lastProgress = std::chrono::steady_clock::now();
        }
    }
    return true;
}

void AlsaAudioOutput::endOfSpeech() {
    // Playback starts when the device's buffer first fills; a short text never fills it.
    if (m_pcm && snd_pcm_state(m_pcm) == SND_PCM_STATE_PREPARED)
        snd_pcm_start(m_pcm);
}

std::size_t AlsaAudioOutput::queuedSamples() {
    if (!m_pcm)
        return 0;
    // Having played everything, the device reports an underrun: nothing is queued.
    const snd_pcm_state_t state = snd_pcm_state(m_pcm);
    if (state != SND_PCM_STATE_RUNNING && state != SND_PCM_STATE_PREPARED)
        return 0;
    snd_pcm_sframes_t delay = 0;
    if (snd_pcm_delay(m_pcm, &delay) < 0 || delay < 0)
        return 0;
    return static_cast<std::size_t>(delay);
}

void AlsaAudioOutput::close() {
    if (!m_pcm)
        return;
    snd_pcm_drop(m_pcm);
    snd_pcm_close(m_pcm);
    m_pcm = nullptr;
}

std::unique_ptr<AudioOutput> systemAudioOutput() {
    return std::make_unique<FallbackAudioOutput>(std::make_unique<AlsaAudioOutput>(),
                                                 std::make_unique<SilentAudioOutput>());
}

} // namespace aquinepad
