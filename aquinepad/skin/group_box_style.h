// The group boxes the notepad's windows were designed with, under every look: the frame line runs
// through the middle of the title, so controls the design places just below the title stay clear of
// it. (Fusion draws the line below the title, where it crosses the first row of every such box.)
#pragma once

#include <QProxyStyle>

namespace aquinepad {

class GroupBoxStyle : public QProxyStyle {
public:
    // Takes ownership of `base`, the style that draws everything else.
    explicit GroupBoxStyle(QStyle* base) : QProxyStyle(base) {}

    QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl part,
                         const QWidget* widget) const override;
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                            const QWidget* widget) const override;
};

} // namespace aquinepad
