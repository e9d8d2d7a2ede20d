// A voice for tests of the reading rules: it remembers what it is asked, and speaks a word or finishes
// only when the test says so, on the test's own thread.
#pragma once

#include "aquinepad/speech/speech_voice.h"

#include <utility>

namespace aquinepad::testing {

class FakeSpeechVoices;

class FakeSpeechVoice : public SpeechVoice {
public:
    explicit FakeSpeechVoice(FakeSpeechVoices& source) : m_source(source) {}
    ~FakeSpeechVoice() override;

    std::vector<std::string> listVoices() override { return {"Fake"}; }
    bool selectVoice(std::string_view description) override { return description == "Fake"; }
    void setRate(int rate) override { rates.push_back(rate); }
    void setVolume(int) override {}
    int speak(std::string text, SpeechProgress progress, bool reportProgress) override {
        stop();
        spoken.push_back(std::move(text));
        m_progress = std::move(progress);
        m_report = reportProgress;
        return 0;
    }
    // Like a real voice, a stop still says the speech has finished.
    void stop() override {
        ++stops;
        finish();
    }

    void say(int position, int length) {
        if (m_progress && m_report)
            m_progress(false, position, length);
    }
    void finish() {
        if (auto progress = std::exchange(m_progress, nullptr))
            progress(true, 0, 0);
    }

    std::vector<int> rates;
    std::vector<std::string> spoken;
    int stops = 0;

private:
    FakeSpeechVoices& m_source;
    SpeechProgress m_progress;
    bool m_report = false;
};

class FakeSpeechVoices : public SpeechVoices {
public:
    std::unique_ptr<SpeechVoice> create() override {
        if (!available)
            return nullptr;
        auto voice = std::make_unique<FakeSpeechVoice>(*this);
        current = voice.get();
        ++created;
        return voice;
    }

    bool available = true;
    // The voice alive now, if any.
    FakeSpeechVoice* current = nullptr;
    int created = 0;
};

inline FakeSpeechVoice::~FakeSpeechVoice() {
    if (m_source.current == this)
        m_source.current = nullptr;
}

} // namespace aquinepad::testing
