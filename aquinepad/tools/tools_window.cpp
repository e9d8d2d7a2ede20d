// Three ready-made pages the window only arranges: nothing is set on them or read back after creation.
#include "aquinepad/tools/tools_window.h"

#include "aquinepad/tools/lunar_month_view.h"
#include "common/qt/server_address.h"

#include <QCalendarWidget>
#include <QTabWidget>
#include <QVBoxLayout>
#include <QWebEngineView>

namespace aquinepad {

namespace {

QWidget* page(QWidget* content, int margin) {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(margin, margin, margin, margin);
    layout->addWidget(content);
    return page;
}

} // namespace

ToolsWindow::ToolsWindow(QWidget* parent)
    : QDialog(parent), m_tabs(new QTabWidget(this)), m_lunar(new LunarMonthView), m_month(new QCalendarWidget),
      m_page(new QWebEngineView) {
    setWindowTitle(QStringLiteral("Aquine记事本 - 扩展工具"));
    resize(389, 332);
    m_tabs->setObjectName(QStringLiteral("高级选择夹1"));
    m_lunar->setObjectName(QStringLiteral("农历月历1"));
    m_month->setObjectName(QStringLiteral("月历1"));
    m_page->setObjectName(QStringLiteral("超文本浏览框1"));

    m_month->setLocale(QLocale(QLocale::Chinese, QLocale::China));
    m_month->setGridVisible(true);
    m_month->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);

    m_tabs->addTab(page(m_lunar, 8), QStringLiteral("农历"));
    m_tabs->addTab(page(m_month, 0), QStringLiteral("月历"));
    m_tabs->addTab(page(m_page, 0), QStringLiteral("Aquine计算器"));
    // Requested now, not when its tab is first shown; an unreachable server leaves the view's own
    // error page there and the other pages work as before.
    m_page->load(aquine::serverUrl(QStringLiteral("forum.php?mod=viewthread&tid=269")));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_tabs);
}

} // namespace aquinepad
