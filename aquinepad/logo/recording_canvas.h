// A canvas that keeps the strokes given to it, small, to be drawn on another canvas later: the
// interpreter's trial run draws into one and hands it to the real canvas once the whole line worked.
#pragma once

#include "aquinepad/logo/turtle.h"

#include <string>
#include <vector>

namespace aquinepad::logo {

class RecordingCanvas : public TurtleCanvas {
public:
    void drawLine(TurtlePoint from, TurtlePoint to, Ink ink) override {
        m_strokes.push_back({Stroke::Kind::Line, from, to, ink});
    }
    void drawEllipse(TurtlePoint centre, double rx, double ry, Ink ink) override {
        m_strokes.push_back({Stroke::Kind::Ellipse, centre, {rx, ry}, ink});
    }
    void drawText(TurtlePoint at, const std::string& gbkText, Ink ink) override {
        m_strokes.push_back({Stroke::Kind::Text, at, {static_cast<double>(m_texts.size()), 0}, ink});
        m_texts.push_back(gbkText);
    }
    void clear() override {
        m_strokes.clear(); // nothing drawn before a clear can show
        m_texts.clear();
        m_clearFirst = true;
    }

    void replay(TurtleCanvas& canvas) const {
        if (m_clearFirst)
            canvas.clear();
        for (const Stroke& s : m_strokes) {
            switch (s.kind) {
            case Stroke::Kind::Line: canvas.drawLine(s.a, s.b, s.ink); break;
            case Stroke::Kind::Ellipse: canvas.drawEllipse(s.a, s.b.x, s.b.y, s.ink); break;
            case Stroke::Kind::Text: canvas.drawText(s.a, m_texts[static_cast<std::size_t>(s.b.x)], s.ink); break;
            }
        }
    }

private:
    struct Stroke {
        enum class Kind { Line, Ellipse, Text };
        Kind kind;
        TurtlePoint a;
        TurtlePoint b; // a line's end, an ellipse's radii, or a text's place in m_texts
        Ink ink;
    };
    // A run may leave up to a million strokes before it is known to work: they are kept small.
    std::vector<Stroke> m_strokes;
    std::vector<std::string> m_texts;
    bool m_clearFirst = false;
};

} // namespace aquinepad::logo
