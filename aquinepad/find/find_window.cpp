// The find window's controls sit where the notepad has always drawn them and carry its control names
// (编辑框1, 选择框1, 搜寻下一个按钮 ...), so tests find them by those names.
#include "aquinepad/find/find_window.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace aquinepad {

FindWindow::FindWindow(SearchState& state, QWidget* parent) : QDialog(parent), m_state(state) {
    setWindowTitle(QStringLiteral("寻找文本"));
    setModal(false);
    setGeometry(50, 50, 314, 143);
    setFixedSize(314, 143);

    auto* label = new QLabel(QStringLiteral("请输入欲寻找的文本："), this);
    label->setObjectName(QStringLiteral("标签1"));
    label->setGeometry(27, 12, 272, 16);
    m_text = new QLineEdit(this);
    m_text->setObjectName(QStringLiteral("编辑框1"));
    m_text->setGeometry(27, 32, 272, 16);
    m_matchCase = new QCheckBox(QStringLiteral("英文字母区分大小写"), this);
    m_matchCase->setObjectName(QStringLiteral("选择框1"));
    m_matchCase->setGeometry(27, 58, 192, 16);
    m_previous = new QPushButton(QStringLiteral("&P.搜寻上一个"), this);
    m_previous->setObjectName(QStringLiteral("搜寻上一个按钮"));
    m_previous->setGeometry(94, 87, 97, 24);
    m_next = new QPushButton(QStringLiteral("&N.搜寻下一个"), this);
    m_next->setObjectName(QStringLiteral("搜寻下一个按钮"));
    m_next->setGeometry(200, 87, 97, 24);
    // Enter in the edit box searches onwards, as in every find window.
    m_next->setDefault(true);

    connect(m_text, &QLineEdit::textChanged, this, &FindWindow::enableButtons);
    connect(m_previous, &QPushButton::clicked, this, [this] { search(SearchDirection::Backward); });
    connect(m_next, &QPushButton::clicked, this, [this] { search(SearchDirection::Forward); });

    m_text->setText(QString::fromStdString(m_state.LastSearchText));
    m_matchCase->setChecked(m_state.MatchCase);
    m_text->selectAll();
    // The first opening has no text yet, and a button would search for nothing.
    enableButtons();
}

void FindWindow::focusText() {
    m_text->setFocus();
    m_text->selectAll();
}

void FindWindow::enableButtons() {
    const bool hasText = !m_text->text().isEmpty();
    m_previous->setEnabled(hasText);
    m_next->setEnabled(hasText);
}

void FindWindow::search(SearchDirection direction) {
    m_state.LastSearchText = m_text->text().toStdString();
    m_state.MatchCase = m_matchCase->isChecked();
    emit searchRequested(direction);
}

} // namespace aquinepad
