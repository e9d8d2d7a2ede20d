// Group boxes drawn as designed: an etched frame whose top line passes behind the title's middle.
#include "aquinepad/skin/group_box_style.h"

#include <QPainter>
#include <QStyleOptionGroupBox>
#include <qdrawutil.h>

namespace aquinepad {

namespace {

constexpr int kTitleIndent = 7; // from the box's left edge to the title's gap in the frame
constexpr int kTitleGap = 2;    // blank on each side of the title

// Checkable boxes keep the base style's drawing: none of the windows has one, and its check box
// needs the base style's room.
const QStyleOptionGroupBox* designed(QStyle::ComplexControl control, const QStyleOptionComplex* option) {
    if (control != QStyle::CC_GroupBox)
        return nullptr;
    const auto* box = qstyleoption_cast<const QStyleOptionGroupBox*>(option);
    return box && !(box->subControls & QStyle::SC_GroupBoxCheckBox) ? box : nullptr;
}

} // namespace

QRect GroupBoxStyle::subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl part,
                                    const QWidget* widget) const {
    const QStyleOptionGroupBox* box = designed(control, option);
    if (!box)
        return QProxyStyle::subControlRect(control, option, part, widget);
    const QRect r = box->rect;
    const int titleHeight = box->text.isEmpty() ? 0 : box->fontMetrics.height();
    switch (part) {
    case SC_GroupBoxFrame: return r.adjusted(0, titleHeight / 2, 0, 0);
    case SC_GroupBoxLabel:
        if (box->text.isEmpty())
            return {};
        return QRect(r.left() + kTitleIndent, r.top(), box->fontMetrics.horizontalAdvance(box->text) + 2 * kTitleGap,
                     titleHeight);
    case SC_GroupBoxContents: return r.adjusted(2, std::max(titleHeight, 2), -2, -2);
    default: return QProxyStyle::subControlRect(control, option, part, widget);
    }
}

void GroupBoxStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                                       const QWidget* widget) const {
    const QStyleOptionGroupBox* box = designed(control, option);
    if (!box) {
        QProxyStyle::drawComplexControl(control, option, painter, widget);
        return;
    }
    const QRect title = subControlRect(control, option, SC_GroupBoxLabel, widget);
    if (box->subControls & SC_GroupBoxFrame) {
        painter->save();
        // The line stops short of the title on whatever background the window has.
        QRegion clip(box->rect);
        if (!title.isEmpty())
            clip -= QRegion(title);
        painter->setClipRegion(clip);
        const QRect frame = subControlRect(control, option, SC_GroupBoxFrame, widget);
        if (box->features & QStyleOptionFrame::Flat)
            qDrawShadeLine(painter, frame.topLeft(), frame.topRight(), box->palette, true, 1, 0);
        else
            qDrawShadeRect(painter, frame, box->palette, true, 1, 0);
        painter->restore();
    }
    if (!title.isEmpty() && (box->subControls & SC_GroupBoxLabel))
        drawItemText(painter, title, Qt::AlignCenter | Qt::TextShowMnemonic, box->palette, box->state & State_Enabled,
                     box->text, QPalette::WindowText);
}

} // namespace aquinepad
