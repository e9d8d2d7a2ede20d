// The Logo window's controls at their design places, each button wired to one turtle operation. The
// controls keep the names the window has always had (按钮1, 编辑框7 ...); the command line, its 执行 and
// 停止 buttons and the message line are 编辑框11, 按钮17, 按钮18 and 标签7, placed in room the design
// left free.
#include "aquinepad/logo/logo_dialog.h"

#include "aquinepad/logo/logo_runner.h"
#include "aquinepad/logo/logo_tutorial_dialog.h"
#include "aquinepad/logo/turtle_panel.h"
#include "common/file_io.h"
#include "common/file_names.h"
#include "common/numbers.h"
#include "common/qt/gbk_qt.h"
#include "common/qt/prompter.h"

#include <QApplication>
#include <QFile>
#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <algorithm>

namespace aquinepad {

namespace {

const QSize kPanelSize(776, 328);

logo::LogoLimits onThePanel(logo::LogoLimits limits) {
    limits.view = {double(kPanelSize.width()), double(kPanelSize.height())};
    return limits;
}

QPushButton* button(QWidget* parent, const char* name, const QString& caption, QRect place) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromUtf8(name));
    b->setGeometry(place);
    // Enter belongs to the command line; no button of the console is pressed by it.
    b->setAutoDefault(false);
    return b;
}

QLineEdit* edit(QWidget* parent, const char* name, QRect place, const QString& text = {}) {
    auto* e = new QLineEdit(text, parent);
    e->setObjectName(QString::fromUtf8(name));
    e->setGeometry(place);
    return e;
}

void label(QWidget* parent, const char* name, const QString& caption, QRect place) {
    auto* l = new QLabel(caption, parent);
    l->setObjectName(QString::fromUtf8(name));
    l->setGeometry(place);
}

void separator(QWidget* parent, const char* name, QRect place) {
    auto* f = new QFrame(parent);
    f->setObjectName(QString::fromUtf8(name));
    f->setFrameShape(QFrame::VLine);
    f->setFrameShadow(QFrame::Sunken);
    f->setGeometry(place);
}

} // namespace

LogoDialog::LogoDialog(aquine::Prompter& prompter, QWidget* parent, logo::LogoLimits limits)
    : QDialog(parent), m_prompter(prompter), m_interpreter(onThePanel(std::move(limits))) {
    setFixedSize(800, 547);

    auto* top = new QGroupBox(this);
    top->setObjectName(QStringLiteral("分组框3"));
    top->setGeometry(0, 0, 792, 40);
    auto* tutorial = button(top, "按钮4", QStringLiteral("查 看 简 单 教 程"), {11, 11, 189, 24});
    auto* background = button(top, "按钮16", QStringLiteral("设 置 背 景 图 片"), {207, 11, 192, 24});

    auto* drawing = new QGroupBox(QStringLiteral("绘图区"), this);
    drawing->setObjectName(QStringLiteral("分组框1"));
    drawing->setGeometry(0, 40, 792, 352);
    m_panel = new TurtlePanel(kPanelSize, drawing);
    m_panel->setObjectName(QStringLiteral("Logo对象1"));
    m_panel->move(8, 16);

    auto* console = new QGroupBox(QStringLiteral("操作台"), this);
    console->setObjectName(QStringLiteral("分组框2"));
    console->setGeometry(0, 392, 792, 128);
    auto* forward = button(console, "按钮1", QStringLiteral("前进"), {8, 16, 80, 24});
    edit(console, "编辑框1", {96, 16, 40, 24});
    label(console, "标签1", QStringLiteral("步"), {140, 16, 14, 24});
    auto* back = button(console, "按钮2", QStringLiteral("后退"), {8, 56, 80, 24});
    edit(console, "编辑框2", {96, 56, 40, 24});
    label(console, "标签2", QStringLiteral("步"), {140, 56, 14, 24});
    separator(console, "外形框1", {154, 16, 8, 64});
    auto* right = button(console, "按钮5", QStringLiteral("向右"), {168, 16, 80, 24});
    edit(console, "编辑框3", {256, 16, 40, 24});
    label(console, "标签3", QStringLiteral("°"), {300, 16, 14, 24});
    auto* left = button(console, "按钮3", QStringLiteral("向左"), {168, 56, 80, 24});
    edit(console, "编辑框4", {256, 56, 40, 24});
    label(console, "标签4", QStringLiteral("°"), {300, 56, 14, 24});
    separator(console, "外形框2", {314, 16, 8, 64});
    auto* penDown = button(console, "按钮6", QStringLiteral("落笔"), {328, 16, 48, 24});
    auto* penUp = button(console, "按钮7", QStringLiteral("抬笔"), {328, 56, 48, 24});
    auto* clear = button(console, "按钮8", QStringLiteral("清屏"), {392, 16, 48, 24});
    auto* home = button(console, "按钮9", QStringLiteral("回家"), {392, 56, 48, 24});
    separator(console, "外形框3", {444, 16, 8, 64});
    auto* eraserOn = button(console, "按钮10", QStringLiteral("橡皮"), {456, 16, 48, 24});
    auto* eraserOff = button(console, "按钮11", QStringLiteral("取消橡皮"), {456, 56, 48, 24});
    auto* write = button(console, "按钮15", QStringLiteral("写文字"), {520, 16, 48, 24});
    m_text = new QPlainTextEdit(console);
    m_text->setObjectName(QStringLiteral("编辑框5"));
    m_text->setGeometry(568, 16, 216, 64);
    auto* circle = button(console, "按钮12", QStringLiteral("画圆"), {320, 96, 48, 24});
    edit(console, "编辑框6", {368, 96, 64, 24});
    auto* ellipse = button(console, "按钮13", QStringLiteral("画椭圆"), {440, 96, 48, 24});
    edit(console, "编辑框7", {488, 96, 32, 24}, QStringLiteral("横半径"));
    edit(console, "编辑框10", {520, 96, 32, 24}, QStringLiteral("纵半径"));
    auto* rectangle = button(console, "按钮14", QStringLiteral("画矩形"), {576, 96, 48, 24});
    label(console, "标签5", QStringLiteral("长"), {626, 96, 14, 24});
    edit(console, "编辑框8", {640, 96, 64, 24});
    label(console, "标签6", QStringLiteral("宽"), {706, 96, 14, 24});
    edit(console, "编辑框9", {720, 96, 64, 24});

    m_commandLine = edit(console, "编辑框11", {8, 96, 192, 24});
    m_commandLine->setPlaceholderText(QStringLiteral("输入Logo命令，如 FD 50 RT 90"));
    m_commandLine->setToolTip(QStringLiteral("输入一行Logo命令后按回车执行，例如：REPEAT 4 [FD 50 RT 90]"));
    // One more than the limit, so that a paste cut short by the box still shows as too long.
    m_commandLine->setMaxLength(kCommandLineLimit + 1);
    m_run = button(console, "按钮17", QStringLiteral("执行"), {204, 96, 52, 24});
    m_stop = button(console, "按钮18", QStringLiteral("停止"), {260, 96, 52, 24});
    m_stop->setToolTip(QStringLiteral("停止正在执行的命令（Esc），已画出的部分保留"));
    m_stop->setEnabled(false);
    m_drawingButtons = {forward,  back,      right, left,   penDown, penUp,     clear, home,
                        eraserOn, eraserOff, write, circle, ellipse, rectangle, m_run};
    m_message = new QLabel(this);
    m_message->setObjectName(QStringLiteral("标签7"));
    m_message->setGeometry(8, 522, 784, 22);
    m_message->setStyleSheet(QStringLiteral("color: #b00000"));

    logo::Turtle& turtle = m_panel->turtle();
    connect(forward, &QPushButton::clicked, this, [this, &turtle] {
        turtle.forward(argument("编辑框1"));
        refreshPositionCaption();
    });
    connect(back, &QPushButton::clicked, this, [this, &turtle] {
        turtle.back(argument("编辑框2"));
        refreshPositionCaption();
    });
    connect(right, &QPushButton::clicked, this, [this, &turtle] { turtle.right(argument("编辑框3")); });
    connect(left, &QPushButton::clicked, this, [this, &turtle] { turtle.left(argument("编辑框4")); });
    connect(penDown, &QPushButton::clicked, this, [&turtle] { turtle.penDown(); });
    connect(penUp, &QPushButton::clicked, this, [&turtle] { turtle.penUp(); });
    connect(clear, &QPushButton::clicked, this, [&turtle] { turtle.clearScreen(); });
    connect(home, &QPushButton::clicked, this, [this, &turtle] {
        turtle.home();
        refreshPositionCaption();
    });
    connect(eraserOn, &QPushButton::clicked, this, [&turtle] { turtle.setEraser(true); });
    connect(eraserOff, &QPushButton::clicked, this, [&turtle] { turtle.setEraser(false); });
    connect(circle, &QPushButton::clicked, this, [this, &turtle] { turtle.drawCircle(argument("编辑框6")); });
    connect(ellipse, &QPushButton::clicked, this,
            [this, &turtle] { turtle.drawEllipse(argument("编辑框7"), argument("编辑框10")); });
    connect(rectangle, &QPushButton::clicked, this,
            [this, &turtle] { turtle.drawRectangle(argument("编辑框8"), argument("编辑框9")); });
    connect(write, &QPushButton::clicked, this,
            [this, &turtle] { turtle.writeText(aquine::gbkFromQ(m_text->toPlainText())); });
    connect(background, &QPushButton::clicked, this, &LogoDialog::chooseBackground);
    connect(tutorial, &QPushButton::clicked, this, [this] {
        LogoTutorialDialog dialog(this);
        dialog.exec();
    });
    connect(m_run, &QPushButton::clicked, this, &LogoDialog::runCommandLine);
    connect(m_stop, &QPushButton::clicked, this, [this] { m_runner->stop(); });
    connect(m_commandLine, &QLineEdit::returnPressed, this, &LogoDialog::runCommandLine);
    connect(m_commandLine, &QLineEdit::textChanged, this, &LogoDialog::keepWithinLimit);
    m_commandLine->installEventFilter(this);

    m_runner = std::make_unique<LogoRunner>(m_interpreter, *m_panel);
    m_runner->onFinished = [this](logo::LogoRun run) { lineEnded(std::move(run)); };

    refreshPositionCaption();
}

void LogoDialog::refreshPositionCaption() {
    setWindowTitle(QStringLiteral("Logo模式") +
                   QString::fromStdString(logo::positionText(m_panel->turtle().position())));
}

double LogoDialog::argument(const char* editName) const {
    const auto* e = findChild<QLineEdit*>(QString::fromUtf8(editName));
    return aquine::toNumber(aquine::gbkFromQ(e->text()));
}

void LogoDialog::chooseBackground() {
    const auto chosen = m_prompter.openFile({
        .title = QStringLiteral("请选择背景图片"),
        .filter = QStringLiteral("常见图片文件(*.jpg;*.bmp;*.png;*.gif)|*.jpg;*.bmp;*.png;*.gif"),
    });
    if (!chosen)
        return;
    // Regular files only, within what memory allows: a FIFO or a device would never finish reading.
    const auto bytes = aquine::readFileBytes(aquine::nativePath(*chosen), aquine::documentSizeLimit());
    m_panel->setBackgroundPicture(bytes ? QByteArray::fromStdString(*bytes) : QByteArray());
    // The window asks nothing and shows no box, but a picture that silently fails to appear looks like
    // a button that does nothing: the message line says why.
    m_message->setText(m_panel->hasBackgroundPicture()
                           ? QString()
                           : QStringLiteral("无法读取图片文件“%1”，没有设置背景图片")
                                 .arg(QString::fromStdString(aquine::displayFileName(aquine::nativePath(*chosen)))));
}

LogoDialog::~LogoDialog() = default;

bool LogoDialog::isRunning() const { return m_runner->running(); }

// A short line (most are) runs at once, in a few milliseconds; a longer one starts again on the runner's
// worker while this window goes on painting what it draws, and Escape or 停止 ends it early, keeping
// what it has drawn. A failed line draws nothing (what it drew is taken back) and keeps its text for
// mending; a line that worked is selected, so typing replaces it and Enter runs it again.
void LogoDialog::runCommandLine() {
    constexpr long kStepsAtOnce = 50'000;
    if (m_runner->running())
        return;
    const QString line = m_commandLine->text();
    if (!line.trimmed().isEmpty() && (m_history.isEmpty() || m_history.last() != line))
        m_history << line;
    m_recall = m_history.size();
    const std::string program = aquine::gbkFromQ(line);
    if (const auto quick = m_interpreter.runIfQuick(program, m_panel->turtle(), kStepsAtOnce)) {
        refreshPositionCaption();
        m_message->setText(QString::fromStdString(quick->reason()));
        if (*quick)
            m_commandLine->selectAll();
        return;
    }
    m_strokesBeforeLine = m_panel->strokes();
    m_runner->start(program);
    setRunning(true);
}

void LogoDialog::lineEnded(logo::LogoRun run) {
    setRunning(false);
    switch (run.end) {
    case logo::LogoRun::End::Finished:
    case logo::LogoRun::End::Stopped:
        m_panel->turtle().setState(run.turtle);
        m_message->setText(run.end == logo::LogoRun::End::Stopped ? QStringLiteral("已停止：画出的部分保留")
                                                                  : QString());
        m_interpreter.keep(std::move(run));
        m_commandLine->selectAll();
        break;
    case logo::LogoRun::End::Failed:
        m_panel->restoreStrokes(m_strokesBeforeLine);
        m_message->setText(QString::fromStdString(run.reason));
        break;
    }
    m_strokesBeforeLine = QImage();
    m_panel->update();
    refreshPositionCaption();
}

void LogoDialog::setRunning(bool running) {
    for (QPushButton* b : std::as_const(m_drawingButtons))
        b->setEnabled(!running);
    m_stop->setEnabled(running);
    m_commandLine->setReadOnly(running);
    m_panel->setTurtleShown(!running);
    if (running) {
        setCursor(Qt::BusyCursor);
        m_message->setText(QStringLiteral("正在执行……按 Esc 或“停止”可以停下，已画出的部分保留"));
    } else {
        unsetCursor();
        m_commandLine->setFocus();
    }
}

// The box itself would cut a long paste silently at its length; one past the limit is instead put back
// as it was, and the message line says why.
void LogoDialog::keepWithinLimit(const QString& text) {
    if (text.size() <= kCommandLineLimit) {
        m_acceptedLine = text;
        return;
    }
    m_commandLine->setText(m_acceptedLine);
    m_message->setText(QStringLiteral("命令行一行最多 %1 个字符，放进来的内容太长，没有接受：请分成几行执行，"
                                      "或者把重复的部分写成过程（TO … END）")
                           .arg(kCommandLineLimit));
}

void LogoDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && m_runner->running()) {
        m_runner->stop();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void LogoDialog::done(int result) {
    m_runner->stop();
    QDialog::done(result);
}

// Up and Down on the command line bring back earlier lines, as in a terminal, so a reader working
// through the tutorial mends a line instead of typing it again.
bool LogoDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_commandLine || event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key != Qt::Key_Up && key != Qt::Key_Down)
        return false;
    if (m_runner->running())
        return true;
    m_recall = std::clamp<qsizetype>(m_recall + (key == Qt::Key_Up ? -1 : 1), 0, m_history.size());
    m_commandLine->setText(m_recall < m_history.size() ? m_history.at(m_recall) : QString());
    return true;
}

} // namespace aquinepad
