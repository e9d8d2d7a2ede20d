// The real espeak-ng voice, synthesising into memory: no sound card is needed. Its word reports cover
// the text in order and land on the right characters, the rate reaches the sound, and every speech
// ends with exactly one finished report, whatever stops it.
#include "aquinepad/speech/espeak_voice.h"

#include "aquinepad/speech/silent_audio_output.h"
#include "aquinepad/speech/spoken_text.h"
#include "aquinepad/speech/tests/recording_sound_card.h"

#include <algorithm>
#include <condition_variable>
#include <gtest/gtest.h>
#include <mutex>

using namespace aquinepad;
using aquinepad::testing::RecordingSoundCard;

namespace {

struct Report {
    bool finished;
    int position;
    int length;
    bool operator==(const Report&) const = default;
};

// Collects a voice's reports from its thread.
class Listener {
public:
    SpeechProgress progress() {
        return [this](bool finished, int position, int length) {
            std::lock_guard lock(m_mutex);
            m_reports.push_back({finished, position, length});
            m_changed.notify_all();
        };
    }
    // Waits until the speech has finished (or the reports reach `count`), and gives what came.
    std::vector<Report> wait(std::size_t count = static_cast<std::size_t>(-1)) {
        std::unique_lock lock(m_mutex);
        m_changed.wait_for(lock, std::chrono::seconds(30), [&] {
            return m_reports.size() >= count || (!m_reports.empty() && m_reports.back().finished);
        });
        return m_reports;
    }
    std::vector<Report> reports() {
        std::lock_guard lock(m_mutex);
        return m_reports;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<Report> m_reports;
};

// The words a voice reported for the text, as the text's own characters.
std::vector<std::string> wordsOf(const std::string& text, const std::vector<Report>& reports) {
    const SpokenText spoken(text);
    std::vector<std::string> words;
    for (const Report& r : reports) {
        if (r.finished)
            continue;
        const TextRange bytes =
            spoken.bytesOf(static_cast<std::size_t>(r.position), static_cast<std::size_t>(r.length));
        words.push_back(text.substr(bytes.start, bytes.end - bytes.start));
    }
    return words;
}

std::vector<std::string> speakWords(const std::string& text) {
    std::vector<std::int16_t> samples;
    EspeakVoice voice(std::make_unique<RecordingSoundCard>(samples));
    Listener listener;
    EXPECT_EQ(voice.speak(text, listener.progress(), true), 0);
    return wordsOf(text, listener.wait());
}

// How many samples the text takes at this rate.
std::size_t spokenLength(int rate, const std::string& text = "今天天气很好，我们去公园散步吧。") {
    std::vector<std::int16_t> samples;
    EspeakVoice voice(std::make_unique<RecordingSoundCard>(samples));
    voice.setRate(rate);
    Listener listener;
    (void)voice.speak(text, listener.progress(), false);
    listener.wait();
    return samples.size();
}

} // namespace

TEST(EspeakVoice, WordReportsCoverTheTextInOrder) {
    const std::string text = "今天天气很好。\r\n我们去公园散步，hello world！";
    std::vector<std::int16_t> samples;
    EspeakVoice voice(std::make_unique<RecordingSoundCard>(samples));
    Listener listener;
    ASSERT_EQ(voice.speak(text, listener.progress(), true), 0);
    const std::vector<Report> reports = listener.wait();

    ASSERT_GE(reports.size(), 2u);
    for (std::size_t i = 1; i + 1 < reports.size(); ++i)
        EXPECT_GT(reports[i].position, reports[i - 1].position) << "report " << i;
    std::string heard;
    for (const std::string& word : wordsOf(text, reports))
        heard += word;
    EXPECT_EQ(heard, "今天天气很好我们去公园散步helloworld");
    EXPECT_FALSE(samples.empty());
}

TEST(EspeakVoice, ReportedPositionsAreTheWordsOfChineseAsciiAndMixedText) {
    EXPECT_EQ(speakWords("你好世界"), (std::vector<std::string>{"你", "好", "世", "界"}));
    EXPECT_EQ(speakWords("hello brave world"), (std::vector<std::string>{"hello", "brave", "world"}));
    EXPECT_EQ(speakWords("我的abc电脑 is 好的"),
              (std::vector<std::string>{"我", "的", "abc", "电", "脑", "is", "好", "的"}));
    // Line breaks count, and a character beyond the basic plane is one character (the emoji is silent).
    EXPECT_EQ(speakWords("第一行\r\n😀 ok 𠀀好"), (std::vector<std::string>{"第", "一", "行", "ok", "𠀀", "好"}));
}

TEST(EspeakVoice, WithoutReportsTheOnlyCallIsFinished) {
    std::vector<std::int16_t> samples;
    EspeakVoice voice(std::make_unique<RecordingSoundCard>(samples));
    Listener listener;
    ASSERT_EQ(voice.speak("你好，世界。hello", listener.progress(), false), 0);
    const std::vector<Report> reports = listener.wait();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_TRUE(reports[0].finished);
    EXPECT_FALSE(samples.empty());

    // With reports, finished comes once, last, and repeats the last word.
    Listener reported;
    ASSERT_EQ(voice.speak("你好世界", reported.progress(), true), 0);
    const std::vector<Report> all = reported.wait();
    ASSERT_EQ(std::count_if(all.begin(), all.end(), [](const Report& r) { return r.finished; }), 1);
    EXPECT_EQ(all.back(), (Report{true, 3, 1}));
}

TEST(EspeakVoice, TheRateScaleMapsOntoWordsPerMinuteAndReachesTheSound) {
    EXPECT_EQ(espeakWordsPerMinute(0), 175);
    EXPECT_EQ(espeakWordsPerMinute(10), 525);
    EXPECT_EQ(espeakWordsPerMinute(-10), 58);
    EXPECT_EQ(espeakWordsPerMinute(5), 303);
    EXPECT_EQ(espeakWordsPerMinute(15), 909);
    EXPECT_EQ(espeakWordsPerMinute(-1000), 1);
    EXPECT_EQ(espeakWordsPerMinute(1000), std::numeric_limits<int>::max());

    const std::size_t slow = spokenLength(-10);
    const std::size_t normal = spokenLength(0);
    const std::size_t fast = spokenLength(10);
    const std::size_t faster = spokenLength(15);
    EXPECT_GT(slow, normal * 17 / 10) << "espeak-ng's floor of 80 words a minute still halves the speed";
    EXPECT_LT(fast, normal * 10 / 20);
    EXPECT_LT(faster, fast) << "values past 10 are passed on, not clamped";
    EXPECT_GT(spokenLength(1000), 0u) << "an absurd rate is the engine's to limit";
    EXPECT_GT(spokenLength(-1000), 0u);
}

TEST(EspeakVoice, VoicesAreListedAndChosenByTheirExactDescription) {
    std::vector<std::int16_t> samples;
    EspeakVoice voice(std::make_unique<RecordingSoundCard>(samples));
    const std::vector<std::string> voices = voice.listVoices();
    EXPECT_NE(std::find(voices.begin(), voices.end(), "Chinese (Mandarin, latin as English)"), voices.end());
    EXPECT_FALSE(voice.selectVoice("Chinese (Mandarin)"));
    EXPECT_FALSE(voice.selectVoice("chinese (mandarin, latin as english)"));
    EXPECT_TRUE(voice.selectVoice("English (Great Britain)"));
    EXPECT_TRUE(voice.selectVoice("Chinese (Mandarin, latin as English)"));
}

TEST(EspeakVoice, AMissingVoiceFallsBackToTheDefault) {
    std::vector<std::int16_t> samples;
    EspeakVoice voice(std::make_unique<RecordingSoundCard>(samples), "no-such-voice");
    Listener listener;
    ASSERT_EQ(voice.speak("hello world", listener.progress(), true), 0);
    EXPECT_EQ(wordsOf("hello world", listener.wait()), (std::vector<std::string>{"hello", "world"}));
}

TEST(EspeakVoice, StopEndsTheSpeechWithOneFinishedReportAndNothingAfter) {
    // A silent card in real time: this text would take over a minute.
    EspeakVoice voice(std::make_unique<SilentAudioOutput>());
    std::string text;
    for (int i = 0; i < 20; ++i)
        text += "今天天气很好，我们去公园散步吧。";
    Listener listener;
    ASSERT_EQ(voice.speak(text, listener.progress(), true), 0);
    ASSERT_EQ(listener.wait(1).size(), 1u);
    voice.stop();
    const std::vector<Report> reports = listener.reports();
    ASSERT_TRUE(reports.back().finished);
    EXPECT_LT(reports.size(), 5u);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(listener.reports().size(), reports.size());

    // A new speech while one runs stops the first.
    Listener first;
    Listener second;
    ASSERT_EQ(voice.speak(text, first.progress(), true), 0);
    first.wait(1);
    ASSERT_EQ(voice.speak("你好", second.progress(), true), 0);
    EXPECT_TRUE(first.reports().back().finished);
    EXPECT_EQ(wordsOf("你好", second.wait()), (std::vector<std::string>{"你", "好"}));
}

TEST(EspeakVoice, WithoutASoundCardTheWordsStillComeInTime) {
    // What this machine has: no ALSA device. The stand-in takes over and the words are reported.
    std::vector<std::int16_t> samples;
    EspeakVoice voice(std::make_unique<FallbackAudioOutput>(std::make_unique<AlsaAudioOutput>("aquine-no-such-card"),
                                                            std::make_unique<RecordingSoundCard>(samples)));
    Listener listener;
    ASSERT_EQ(voice.speak("你好世界", listener.progress(), true), 0);
    EXPECT_EQ(wordsOf("你好世界", listener.wait()), (std::vector<std::string>{"你", "好", "世", "界"}));
    EXPECT_FALSE(samples.empty());

    // ALSA's null device takes samples like a card and throws them away: the ALSA path, silently.
    EspeakVoice alsa(std::make_unique<AlsaAudioOutput>("null"));
    Listener throughAlsa;
    ASSERT_EQ(alsa.speak("你好世界", throughAlsa.progress(), true), 0);
    EXPECT_EQ(wordsOf("你好世界", throughAlsa.wait()), (std::vector<std::string>{"你", "好", "世", "界"}));

    // Nothing that can play at all: one finished report, no words, no wait.
    std::vector<std::int16_t> none;
    EspeakVoice mute(std::make_unique<RecordingSoundCard>(none, false));
    Listener nothing;
    (void)mute.speak("你好世界", nothing.progress(), true);
    EXPECT_EQ(nothing.wait(), (std::vector<Report>{{true, 0, 0}}));
}
