// Word management, reverse lookup and version windows.
#include "imvara/ui/dialogs.h"

#include "common/qt/gbk_qt.h"
#include "common/qt/prompter.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>

namespace imvara {

namespace {

// A fixed dialog frame takes this much of the design width (two borders).
constexpr int kFrameBorders = 6;

const QString kAddPrompt = QStringLiteral("请输入添加字的编码:\r\n\r\n格式:编码 + 空格 + 文字,例:hang 行");
const QString kModifyPrompt = QStringLiteral("请输入修改字的编码:\r\n\r\n格式:编码 + 空格 + 文字,例:hang 行");
const QString kBlankMessage = QString::fromUtf8(kBlankEntryMessage.data(), kBlankEntryMessage.size());

QPushButton* makeButton(QWidget* parent, const QString& caption, QRect geometry) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(caption);
    button->setGeometry(geometry);
    button->setAutoDefault(false);
    return button;
}

// Fixed size: the design width inside the frame, and a client area ending 8 pixels below `bottom`.
void fitToButtons(QDialog* dialog, int designWidth, const QWidget* bottom) {
    dialog->setFixedSize(designWidth - kFrameBorders, bottom->geometry().bottom() + 1 + 8);
}

QFrame* makeFrame(QWidget* parent) {
    auto* frame = new QFrame(parent); // 标签: a label used only as a bordered frame
    frame->setObjectName(QStringLiteral("标签"));
    frame->setFrameShape(QFrame::Box);
    frame->setFrameShadow(QFrame::Sunken);
    frame->setGeometry(8, 8, 232, 80);
    return frame;
}

QLabel* makeIcon(QWidget* parent, QPoint at) {
    auto* icon = new QLabel(parent); // 标志
    icon->setObjectName(QStringLiteral("标志"));
    icon->setGeometry(QRect(at, QSize(32, 32)));
    icon->setAlignment(Qt::AlignCenter);
    icon->setPixmap(appIcon());
    return icon;
}

} // namespace

QPixmap appIcon() {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(QColor(0x3B, 0x6E, 0xB4));
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(QRectF(0.5, 0.5, 15, 15), 3, 3);
    QFont font(QStringLiteral("WenQuanYi Zen Hei"));
    font.setPixelSize(12);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRect(0, 0, 16, 16), Qt::AlignCenter, QStringLiteral("拼"));
    return pixmap;
}

WordWindow::WordWindow(QWidget* owner, LookupText& lookup, std::filesystem::path programDir, aquine::Prompter& prompter)
    : QDialog(owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint), m_lookup(lookup), m_file(std::move(programDir)),
      m_prompter(prompter) {
    setWindowTitle(QStringLiteral("造词/维护:"));
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("列表框"));
    m_list->setGeometry(7, 8, 241, 96);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    auto* add = makeButton(this, QStringLiteral("添加"), QRect(7, 112, 56, 24));
    auto* modify = makeButton(this, QStringLiteral("修改"), QRect(69, 112, 56, 24));
    auto* remove = makeButton(this, QStringLiteral("删除"), QRect(131, 112, 56, 24));
    auto* close = makeButton(this, QStringLiteral("关闭"), QRect(192, 112, 56, 24));
    connect(add, &QPushButton::clicked, this, &WordWindow::addEntry);
    connect(modify, &QPushButton::clicked, this, &WordWindow::modifyEntry);
    connect(remove, &QPushButton::clicked, this, &WordWindow::deleteEntry);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    fitToButtons(this, 260, add);

    m_words = UserWords::fromLookup(m_lookup);
    int filled = 0;
    for (const std::string& entry : m_words.entries()) {
        m_list->addItem(aquine::qFromGbk(entry));
        if (++filled % 64 == 0)
            QApplication::processEvents(); // a long list fills without freezing the window
    }
}

void WordWindow::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        refreshFromFile();
}

std::optional<SeenEntry> WordWindow::selectedEntry() const {
    const int row = m_list->currentRow();
    if (row < 0 || !m_list->currentItem()->isSelected() || static_cast<std::size_t>(row) >= m_words.entries().size())
        return std::nullopt;
    return seenAt(m_words, static_cast<std::size_t>(row));
}

void WordWindow::showWords(UserWords words, const std::optional<SeenEntry>& select) {
    // Only the rows that differ are replaced: an edit touches one row, and a long list is not rebuilt
    // for it.
    const auto& was = m_words.entries();
    const auto& now = words.entries();
    std::size_t head = 0;
    while (head < was.size() && head < now.size() && was[head] == now[head])
        ++head;
    std::size_t tail = 0;
    while (tail < was.size() - head && tail < now.size() - head &&
           was[was.size() - 1 - tail] == now[now.size() - 1 - tail])
        ++tail;
    for (std::size_t row = was.size() - tail; row-- > head;)
        delete m_list->takeItem(static_cast<int>(row));
    for (std::size_t row = head; row < now.size() - tail; ++row)
        m_list->insertItem(static_cast<int>(row), aquine::qFromGbk(now[row]));
    m_words = std::move(words);
    m_list->setCurrentRow(-1);
    if (const auto at = select ? findSeen(m_words, *select) : std::nullopt)
        m_list->setCurrentRow(static_cast<int>(*at));
}

void WordWindow::refreshFromFile() {
    if (!m_file.changed())
        return;
    const auto selected = selectedEntry();
    showWords(m_file.reload(m_lookup), selected);
}

void WordWindow::showError(const std::string& reason) {
    m_prompter.message(QString::fromUtf8(reason), QStringLiteral("错误:"), aquine::Prompter::Icon::Error,
                       aquine::Prompter::Buttons::Ok);
}

void WordWindow::finish(WordEdit edit, const std::optional<SeenEntry>& select) {
    showWords(std::move(edit.words), select);
    // A failed write keeps the change in the list and the lookup, but it would be gone at the next
    // start; a refused edit changed nothing. Either way the user is told.
    if (!edit.saved)
        showError(edit.saved.reason());
}

void WordWindow::addEntry() {
    refreshFromFile();
    const auto answer = m_prompter.input(kAddPrompt, QStringLiteral("添加:"), QString());
    if (!answer.accepted)
        return;
    if (UserWords::isBlank(aquine::gbkFromQ(answer.text))) {
        showError(std::string(kBlankEntryMessage));
        return;
    }
    const auto selected = selectedEntry();
    finish(m_file.add(m_lookup, aquine::gbkFromQ(answer.text)), selected);
}

void WordWindow::modifyEntry() {
    const auto before = selectedEntry();
    if (!before)
        return;
    refreshFromFile();
    const auto seen = selectedEntry();
    if (!seen) {
        showError(entryGone(*before).reason);
        return;
    }
    const auto answer = m_prompter.input(kModifyPrompt, QStringLiteral("修改:"), aquine::qFromGbk(seen->text));
    if (!answer.accepted)
        return;
    std::string entry = aquine::gbkFromQ(answer.text);
    if (UserWords::isBlank(entry)) {
        showError(std::string(kBlankEntryMessage));
        return;
    }
    const SeenEntry changed{entry, 0}; // stays selected where it now stands
    finish(m_file.modify(m_lookup, *seen, std::move(entry)), changed);
}

void WordWindow::deleteEntry() {
    const auto seen = selectedEntry();
    if (!seen)
        return;
    // No question first: the entry the user selected goes, wherever another program has moved it.
    finish(m_file.remove(m_lookup, *seen), std::nullopt);
}

ReverseWindow::ReverseWindow(QWidget* owner, const LookupText& lookup)
    : QDialog(owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint), m_lookup(lookup) {
    setWindowTitle(QStringLiteral("反查:"));
    makeFrame(this);
    makeIcon(this, QPoint(20, 16));
    m_input = new QLineEdit(this);
    m_input->setObjectName(QStringLiteral("编辑框"));
    m_input->setGeometry(64, 16, 160, 18);
    m_output = new QPlainTextEdit(this);
    m_output->setObjectName(QStringLiteral("显示框"));
    m_output->setGeometry(64, 40, 160, 40);
    m_output->setReadOnly(true);
    m_output->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_output->setLineWrapMode(QPlainTextEdit::NoWrap);
    auto* close = makeButton(this, QStringLiteral("关闭"), QRect(83, 96, 80, 24));
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    connect(m_input, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (m_wordFile && m_reloadable)
            m_wordFile->reloadIfChanged(*m_reloadable);
        const std::string codes = ReverseLookup(m_lookup.text(), aquine::gbkFromQ(text));
        m_output->setPlainText(aquine::qFromGbk(codes).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    });
    fitToButtons(this, 253, close);
}

ReverseWindow::ReverseWindow(QWidget* owner, LookupText& lookup, WordFile* wordFile)
    : ReverseWindow(owner, static_cast<const LookupText&>(lookup)) {
    m_reloadable = &lookup;
    m_wordFile = wordFile;
}

VersionWindow::VersionWindow(QWidget* owner) : QDialog(owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint) {
    setWindowTitle(QStringLiteral("版本信息:"));
    makeFrame(this);
    makeIcon(this, QPoint(24, 21));
    auto* name = new QLabel(QStringLiteral("拼音输入法"), this);
    name->setObjectName(QStringLiteral("标签2"));
    name->setGeometry(72, 27, 144, 16);
    QFont bold(QStringLiteral("WenQuanYi Zen Hei"));
    bold.setPixelSize(12);
    bold.setBold(true);
    name->setFont(bold);
    auto* credit = new QLabel(QStringLiteral("Aquine 开发组 作品"), this);
    credit->setObjectName(QStringLiteral("标签3"));
    credit->setGeometry(72, 53, 160, 16);
    auto* close = makeButton(this, QStringLiteral("关闭"), QRect(83, 96, 80, 24));
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    fitToButtons(this, 253, close);
}

} // namespace imvara
