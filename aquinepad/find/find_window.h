// The find window "寻找文本": a small tool window beside the document, not modal, that takes the text
// to look for and runs the search in either direction.
#pragma once

#include "aquinepad/find/find_in_document.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace aquinepad {

class FindWindow : public QDialog {
    Q_OBJECT

public:
    // Shows the state's text, selected, and its case choice. The state outlives the window.
    FindWindow(SearchState& state, QWidget* parent);

    // Asked for again while open: the text box takes the keys, its text selected to be typed over.
    void focusText();

signals:
    // A button stored the text and the case choice in the state; the search itself is the owner's.
    void searchRequested(aquinepad::SearchDirection direction);

private:
    void search(SearchDirection direction);
    void enableButtons();

    SearchState& m_state;
    QLineEdit* m_text;
    QCheckBox* m_matchCase;
    QPushButton* m_previous;
    QPushButton* m_next;
};

} // namespace aquinepad
