// Our lunar month calendar: a month grid where each date carries its lunar day, the lunar month's name on
// its first day, and the solar terms and traditional festivals; the header names the 干支 year and the
// zodiac animal of the chosen day.
#pragma once

#include "common/lunar/lunar_calendar.h"

#include <QDate>
#include <QWidget>
#include <vector>

class QLabel;
class QToolButton;

namespace aquinepad {

class LunarMonthGrid;

class LunarMonthView : public QWidget {
    Q_OBJECT

public:
    explicit LunarMonthView(QWidget* parent = nullptr);

    // Shows the month of `date` with `date` chosen; dates outside 1901-2100 are kept to its ends.
    void setSelectedDate(QDate date);
    QDate selectedDate() const { return m_selected; }
    QString headerText() const;
    QString detailText() const;
    // What the grid shows under a date of the shown month.
    QString labelOf(int day) const;

    void showPreviousMonth();
    void showNextMonth();

private:
    void refresh();

    QDate m_selected;
    QLabel* m_header;
    QLabel* m_detail;
    QToolButton* m_previous;
    QToolButton* m_next;
    LunarMonthGrid* m_grid;
};

} // namespace aquinepad
