// A skin engine for tests that notes each call it is given, in order, as text.
#pragma once

#include "aquinepad/skin/skin_engine.h"

#include <string>
#include <vector>

namespace aquinepad::testing {

class RecordingSkin : public SkinEngine {
public:
    void attach() override { calls.push_back("attach"); }
    void attachEx(const std::filesystem::path& file, std::string_view password) override {
        calls.push_back("attachEx " + file.string() + "|" + std::string(password));
    }
    void setAero(int on) override { calls.push_back("setAero " + std::to_string(on)); }
    void adjustAero(int a, int b, int c, int d, int e, int f, int g, int h, int i) override {
        calls.push_back("adjustAero");
        for (int v : {a, b, c, d, e, f, g, h, i})
            calls.back() += " " + std::to_string(v);
    }
    void adjustHsv(int h, int s, int v) override {
        calls.push_back("adjustHsv " + std::to_string(h) + " " + std::to_string(s) + " " + std::to_string(v));
    }
    std::vector<std::string> calls;
};

} // namespace aquinepad::testing
