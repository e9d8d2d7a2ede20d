// espeak-ng keeps its state in globals: it is set up once per process, and one synthesis runs at a
// time, whichever voice asks. Synthesis runs in espeak-ng's synchronous mode, which needs no sound card;
// the samples go to the voice's AudioOutput as they come.
#include "aquinepad/speech/espeak_voice.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <deque>
#include <espeak-ng/espeak_ng.h>
#include <limits>
#include <mutex>
#include <utility>

namespace aquinepad {

namespace {

using std::chrono::steady_clock;

// A slice of samples between two looks at which words have been heard.
constexpr int kSlicesPerSecond = 50;
// An output whose queue does not move for this long has failed; the speech ends there.
constexpr auto kStallLimit = std::chrono::seconds(2);

class Playback;

struct Engine {
    Engine();

    std::mutex mutex;
    espeak_ng_STATUS status = ENS_NOT_INITIALIZED;
    int sampleRate = 0;
    struct Voice {
        std::string name;
        std::string identifier;
    };
    std::vector<Voice> voices;
    // The synthesis running now, which espeak-ng's callback feeds; set only with the mutex held.
    Playback* playback = nullptr;
};

Engine& engine() {
    static Engine instance;
    return instance;
}

struct Word {
    std::int64_t sample; // where in the speech it starts
    int position;
    int length;
};

// One synthesis: its samples go out to be heard, and each word is reported once the output has played
// up to it.
class Playback {
public:
    Playback(AudioOutput& output, const std::atomic<bool>& stopping, const SpeechProgress& progress, bool report)
        : m_output(output), m_stopping(stopping), m_progress(progress), m_report(report) {}

    void start(int sampleRate) { m_sampleRate = sampleRate; }

    // espeak-ng's callback: false stops the synthesis.
    bool take(std::span<const std::int16_t> samples, const espeak_EVENT* events) {
        for (; events && events->type != espeakEVENT_LIST_TERMINATED; ++events)
            if (events->type == espeakEVENT_WORD && events->length > 0)
                m_words.push_back({std::int64_t{events->audio_position} * m_sampleRate / 1000,
                                   events->text_position - 1, events->length});
        const std::size_t slice = static_cast<std::size_t>(std::max(1, m_sampleRate / kSlicesPerSecond));
        while (!samples.empty() && !m_stopping) {
            const auto chunk = samples.first(std::min(slice, samples.size()));
            if (!m_output.write(chunk))
                return false;
            m_written += static_cast<std::int64_t>(chunk.size());
            samples = samples.subspan(chunk.size());
            reportHeard(m_output.queuedSamples());
        }
        return !m_stopping;
    }

    // After the synthesis: the rest plays out, its words reported as they are heard.
    void playOut() {
        m_output.endOfSpeech();
        std::size_t lastQueued = 0;
        auto lastMove = steady_clock::now();
        while (!m_stopping) {
            const std::size_t queued = m_output.queuedSamples();
            reportHeard(queued);
            if (queued == 0)
                break;
            if (queued != lastQueued) {
                lastQueued = queued;
                lastMove = steady_clock::now();
            } else if (steady_clock::now() - lastMove > kStallLimit) {
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }

    void finish() { m_progress(true, m_last.first, m_last.second); }

private:
    void reportHeard(std::size_t queued) {
        const std::int64_t heard = m_written - std::min<std::int64_t>(static_cast<std::int64_t>(queued), m_written);
        while (!m_words.empty() && m_words.front().sample <= heard && !m_stopping) {
            const Word word = m_words.front();
            m_words.pop_front();
            const std::pair<int, int> now{word.position, word.length};
            if (now == m_last)
                continue;
            m_last = now;
            if (m_report)
                m_progress(false, word.position, word.length);
        }
    }

    AudioOutput& m_output;
    const std::atomic<bool>& m_stopping;
    const SpeechProgress& m_progress;
    const bool m_report;
    int m_sampleRate = 0;
    std::int64_t m_written = 0;
    std::deque<Word> m_words;
    std::pair<int, int> m_last{0, 0};
};

int onSynthesis(short* samples, int count, espeak_EVENT* events) {
    Playback* playback = engine().playback;
    if (!playback)
        return 1;
    const std::span<const std::int16_t> heard(samples, samples ? static_cast<std::size_t>(std::max(count, 0)) : 0);
    return playback->take(heard, events) ? 0 : 1;
}

Engine::Engine() {
    espeak_ng_InitializePath(nullptr);
    espeak_ng_ERROR_CONTEXT context = nullptr;
    status = espeak_ng_Initialize(&context);
    espeak_ng_ClearErrorContext(&context);
    if (status != ENS_OK)
        return;
    status = espeak_ng_InitializeOutput(ENOUTPUT_MODE_SYNCHRONOUS, 0, nullptr);
    if (status != ENS_OK)
        return;
    sampleRate = espeak_ng_GetSampleRate();
    espeak_SetSynthCallback(onSynthesis);
    if (const espeak_VOICE** list = espeak_ListVoices(nullptr))
        for (; *list; ++list)
            if ((*list)->name && (*list)->identifier)
                voices.push_back({(*list)->name, (*list)->identifier});
}

} // namespace

int espeakWordsPerMinute(int rate) {
    const double wordsPerMinute = espeakRATE_NORMAL * std::pow(3.0, rate / 10.0);
    return static_cast<int>(std::lround(std::clamp(wordsPerMinute, 1.0, double{std::numeric_limits<int>::max()})));
}

EspeakVoice::EspeakVoice(std::unique_ptr<AudioOutput> output, std::string preferredVoice)
    : m_output(std::move(output)), m_voice(std::move(preferredVoice)) {}

EspeakVoice::~EspeakVoice() { stop(); }

std::vector<std::string> EspeakVoice::listVoices() {
    std::vector<std::string> names;
    for (const Engine::Voice& voice : engine().voices)
        names.push_back(voice.name);
    return names;
}

bool EspeakVoice::selectVoice(std::string_view description) {
    const auto& voices = engine().voices;
    const auto found =
        std::find_if(voices.begin(), voices.end(), [&](const Engine::Voice& v) { return v.name == description; });
    if (found == voices.end())
        return false;
    m_voice = found->identifier;
    return true;
}

int EspeakVoice::speak(std::string text, SpeechProgress progress, bool reportProgress) {
    stop();
    const espeak_ng_STATUS status = engine().status;
    m_worker = std::thread(&EspeakVoice::run, this,
                           Job{std::move(text), std::move(progress), reportProgress, m_voice, m_rate, m_volume});
    return status == ENS_OK ? 0 : static_cast<int>(status);
}

void EspeakVoice::stop() {
    if (!m_worker.joinable())
        return;
    m_stopping = true;
    m_output->interrupt();
    if (m_worker.get_id() == std::this_thread::get_id())
        return; // the thread could never be joined from itself; it ends on its own
    m_worker.join();
    m_stopping = false;
}

void EspeakVoice::run(Job job) {
    Playback playback(*m_output, m_stopping, job.progress, job.report);
    Engine& espeak = engine();
    {
        std::lock_guard lock(espeak.mutex);
        if (espeak.status == ENS_OK && !m_stopping) {
            if (espeak_ng_SetVoiceByName(job.voice.c_str()) != ENS_OK)
                espeak_ng_SetVoiceByName(ESPEAKNG_DEFAULT_VOICE);
            espeak_ng_SetParameter(espeakRATE, espeakWordsPerMinute(job.rate), 0);
            espeak_ng_SetParameter(espeakVOLUME, job.volume, 0);
            if (m_output->open(espeak.sampleRate)) {
                playback.start(espeak.sampleRate);
                espeak.playback = &playback;
                espeak_ng_Synthesize(job.text.c_str(), job.text.size() + 1, 0, POS_CHARACTER, 0, espeakCHARS_UTF8,
                                     nullptr, nullptr);
                espeak.playback = nullptr;
                playback.playOut();
                m_output->close();
            }
        }
    }
    playback.finish();
}

} // namespace aquinepad
