// The grid paints itself from the lunar core's answers for the shown month; the view only keeps which
// day is chosen and moves between months.
#include "aquinepad/tools/lunar_month_view.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <functional>

namespace aquinepad {

namespace {

namespace lunar = aquine::lunar;

QString q(const std::string& utf8) { return QString::fromStdString(utf8); }

lunar::SolarDate solar(QDate d) { return {d.year(), d.month(), d.day()}; }

QColor colourOf(lunar::LabelKind kind) {
    switch (kind) {
    case lunar::LabelKind::Festival: return QColor(0xC0, 0x10, 0x10);
    case lunar::LabelKind::SolarTerm: return QColor(0x10, 0x80, 0x30);
    case lunar::LabelKind::MonthStart: return QColor(0x10, 0x40, 0xB0);
    case lunar::LabelKind::Day: break;
    }
    return QColor(0x70, 0x70, 0x70);
}

} // namespace

// Six weeks of seven days from Sunday, the days of other months left empty.
class LunarMonthGrid : public QWidget {
public:
    explicit LunarMonthGrid(QWidget* parent) : QWidget(parent) { setMinimumSize(7 * 40, 16 + 6 * 28); }

    void setMonth(QDate first, std::vector<lunar::LunarDay> days, int selectedDay) {
        m_first = first;
        m_days = std::move(days);
        m_selected = selectedDay;
        update();
    }

    std::function<void(int)> onChosen;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), palette().base());
        const qreal cellW = width() / 7.0;
        const qreal headH = 16;
        const qreal cellH = (height() - headH) / 6.0;
        QFont small = font();
        small.setPixelSize(11);
        QFont big = font();
        big.setPixelSize(13);
        big.setBold(true);
        p.setFont(small);
        for (int w = 0; w < 7; ++w) {
            p.setPen(w == 0 || w == 6 ? QColor(0xC0, 0x10, 0x10) : palette().color(QPalette::Text));
            p.drawText(QRectF(w * cellW, 0, cellW, headH), Qt::AlignCenter, q(lunar::weekdayName(w)));
        }
        const int offset = m_first.dayOfWeek() % 7;
        const QDate today = QDate::currentDate();
        for (size_t i = 0; i < m_days.size(); ++i) {
            const int slot = offset + static_cast<int>(i);
            const QRectF cell((slot % 7) * cellW, headH + (slot / 7) * cellH, cellW, cellH);
            const int day = static_cast<int>(i) + 1;
            if (day == m_selected)
                p.fillRect(cell.adjusted(1, 1, -1, -1), QColor(0xCC, 0xE0, 0xFF));
            if (m_first.addDays(day - 1) == today) {
                p.setPen(QColor(0x20, 0x60, 0xD0));
                p.drawRect(cell.adjusted(1, 1, -2, -2));
            }
            const int w = slot % 7;
            p.setFont(big);
            p.setPen(w == 0 || w == 6 ? QColor(0xC0, 0x10, 0x10) : palette().color(QPalette::Text));
            p.drawText(cell.adjusted(0, 1, 0, -cellH / 2), Qt::AlignHCenter | Qt::AlignBottom, QString::number(day));
            const lunar::DayLabel label = lunar::dayLabel(m_days[i]);
            p.setFont(small);
            p.setPen(colourOf(label.kind));
            p.drawText(cell.adjusted(0, cellH / 2, 0, 0), Qt::AlignHCenter | Qt::AlignTop, q(label.text));
        }
    }

    void mousePressEvent(QMouseEvent* event) override {
        const qreal headH = 16;
        const QPointF at = event->position();
        if (at.y() < headH || !onChosen)
            return;
        const int slot = static_cast<int>(at.x() / (width() / 7.0)) +
                         7 * static_cast<int>((at.y() - headH) / ((height() - headH) / 6.0));
        const int day = slot - m_first.dayOfWeek() % 7 + 1;
        if (day >= 1 && day <= static_cast<int>(m_days.size()))
            onChosen(day);
    }

private:
    QDate m_first;
    std::vector<lunar::LunarDay> m_days;
    int m_selected = 0;
};

LunarMonthView::LunarMonthView(QWidget* parent)
    : QWidget(parent), m_header(new QLabel(this)), m_detail(new QLabel(this)), m_previous(new QToolButton(this)),
      m_next(new QToolButton(this)), m_grid(new LunarMonthGrid(this)) {
    m_previous->setText(QStringLiteral("◀"));
    m_previous->setToolTip(QStringLiteral("上个月"));
    m_previous->setObjectName(QStringLiteral("上个月"));
    m_next->setText(QStringLiteral("▶"));
    m_next->setToolTip(QStringLiteral("下个月"));
    m_next->setObjectName(QStringLiteral("下个月"));
    m_grid->setObjectName(QStringLiteral("日期格"));
    m_header->setAlignment(Qt::AlignCenter);
    m_detail->setAlignment(Qt::AlignCenter);
    QFont bold = m_header->font();
    bold.setBold(true);
    m_header->setFont(bold);

    auto* top = new QHBoxLayout;
    top->setContentsMargins(0, 0, 0, 0);
    top->addWidget(m_previous);
    top->addWidget(m_header, 1);
    top->addWidget(m_next);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addLayout(top);
    layout->addWidget(m_detail);
    layout->addWidget(m_grid, 1);

    connect(m_previous, &QToolButton::clicked, this, &LunarMonthView::showPreviousMonth);
    connect(m_next, &QToolButton::clicked, this, &LunarMonthView::showNextMonth);
    m_grid->onChosen = [this](int day) { setSelectedDate(QDate(m_selected.year(), m_selected.month(), day)); };
    setSelectedDate(QDate::currentDate());
}

void LunarMonthView::setSelectedDate(QDate date) {
    const QDate first(lunar::firstYear, 1, 1), last(lunar::lastYear, 12, 31);
    m_selected = std::clamp(date.isValid() ? date : QDate::currentDate(), first, last);
    refresh();
}

void LunarMonthView::showPreviousMonth() { setSelectedDate(m_selected.addMonths(-1)); }

void LunarMonthView::showNextMonth() { setSelectedDate(m_selected.addMonths(1)); }

QString LunarMonthView::headerText() const { return m_header->text(); }

QString LunarMonthView::detailText() const { return m_detail->text(); }

QString LunarMonthView::labelOf(int day) const {
    const auto lunarDay = lunar::lunarDay({m_selected.year(), m_selected.month(), day});
    return lunarDay ? q(lunar::dayLabel(*lunarDay).text) : QString();
}

void LunarMonthView::refresh() {
    const QDate first(m_selected.year(), m_selected.month(), 1);
    std::vector<lunar::LunarDay> days;
    for (int d = 1; d <= first.daysInMonth(); ++d) {
        auto day = lunar::lunarDay(solar(first.addDays(d - 1)));
        if (!day)
            break; // only outside 1901-2100, which setSelectedDate never shows
        days.push_back(std::move(*day));
    }
    m_grid->setMonth(first, std::move(days), m_selected.day());
    const auto chosen = lunar::lunarDay(solar(m_selected));
    if (!chosen)
        return;
    m_header->setText(QStringLiteral("%1年%2月  %3年【%4年】")
                          .arg(m_selected.year())
                          .arg(m_selected.month())
                          .arg(q(chosen->ganzhiYear()), q(chosen->zodiac())));
    QString detail = QStringLiteral("农历%1%2").arg(q(chosen->monthName()), q(chosen->dayName()));
    if (!chosen->solarTerm.empty())
        detail += QLatin1Char(' ') + q(chosen->solarTerm);
    for (const auto& festival : chosen->festivals)
        detail += QLatin1Char(' ') + q(festival);
    m_detail->setText(detail);
    m_previous->setEnabled(first > QDate(lunar::firstYear, 1, 1));
    m_next->setEnabled(first < QDate(lunar::lastYear, 12, 1));
}

} // namespace aquinepad
