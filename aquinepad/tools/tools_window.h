// The window "Aquine记事本 - 扩展工具": a lunar month calendar, Qt's month calendar and the maker's
// calculator page, each on its own tab.
#pragma once

#include <QDialog>

class QCalendarWidget;
class QTabWidget;
class QWebEngineView;

namespace aquinepad {

class LunarMonthView;

class ToolsWindow : public QDialog {
    Q_OBJECT

public:
    explicit ToolsWindow(QWidget* parent = nullptr);

    QTabWidget* tabs() const { return m_tabs; }
    LunarMonthView* lunarCalendar() const { return m_lunar; }
    QCalendarWidget* monthCalendar() const { return m_month; }
    QWebEngineView* calculatorPage() const { return m_page; }

private:
    QTabWidget* m_tabs;
    LunarMonthView* m_lunar;
    QCalendarWidget* m_month;
    QWebEngineView* m_page;
};

} // namespace aquinepad
