// The "截图" window: the selected picture at a fixed place, with the commands to take another shot, save
// it or copy it.
#pragma once

#include "shotvara/ui/save_picture.h"

#include <QImage>
#include <QMainWindow>

class QLabel;
class QToolBar;

namespace shotvara {

class ResultWindow : public QMainWindow {
    Q_OBJECT

public:
    explicit ResultWindow(aquine::Prompter& prompter, QWidget* parent = nullptr);

    // Shows this picture (physical pixels, device pixel ratio set) and sizes the window to it.
    void setPicture(const QImage& picture);
    const QImage& picture() const { return m_picture; }
    bool hasPicture() const { return !m_picture.isNull(); }

    void saveAs();
    void copyToClipboard();

signals:
    void newShotRequested();
    // The window was closed (menu or close box): the program ends.
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void placeChildren();
    QSize selectionSize() const;

    PictureSaver m_saver;
    QImage m_picture;
    QWidget* m_client = nullptr;
    QToolBar* m_toolBar = nullptr;
    QLabel* m_canvas = nullptr;
};

} // namespace shotvara
