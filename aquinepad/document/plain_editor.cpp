// Scintilla as a plain edit control.
#include "aquinepad/document/plain_editor.h"


#include <QContextMenuEvent>
#include <QFontDatabase>
#include <QMenu>
#include <QPalette>
#include <QWheelEvent>

namespace aquinepad {

namespace {

constexpr int kFontPixels = 16;

constexpr auto kDefault = static_cast<unsigned long>(QsciScintillaBase::STYLE_DEFAULT);

// QScintilla reports every insertion and deletion to assistive technology with its character offset,
// which it finds by counting every character before it: a keystroke at the end of a 100 MB document
// would cost about a second, and a load in pieces would take time growing with the square of its size.
// Those reports are kept for documents of ordinary size only.
constexpr long kAccessibleReportLimit = 8l << 20;

} // namespace

PlainEditor::PlainEditor(QWidget* parent) : QsciScintillaBase(parent) {
    setObjectName(QStringLiteral("编辑框"));
    setUpDocument();
    setUpLook();
    removeCodeEditorKeys();
}

void PlainEditor::setUpDocument() {
    // A plain-text document needs no style bytes: without them a large file takes a third less memory.
    auto* doc = reinterpret_cast<void*>(
        SendScintilla(SCI_CREATEDOCUMENT, 0ul, static_cast<long>(SC_DOCUMENTOPTION_STYLES_NONE)));
    SendScintilla(SCI_SETDOCPOINTER, 0ul, doc);
    SendScintilla(SCI_RELEASEDOCUMENT, 0ul, doc);
    SendScintilla(SCI_SETCODEPAGE, static_cast<unsigned long>(SC_CP_UTF8));
    SendScintilla(SCI_SETEOLMODE, static_cast<unsigned long>(SC_EOL_CRLF));
}

QString PlainEditor::fontFamily() {
    const QStringList installed = QFontDatabase::families();
    for (const QString& song : {QStringLiteral("宋体"), QStringLiteral("SimSun"), QStringLiteral("NSimSun")})
        if (installed.contains(song))
            return song;
    return QStringLiteral("WenQuanYi Zen Hei Mono");
}

void PlainEditor::setUpLook() {
    for (int margin = 0; margin < 5; ++margin)
        SendScintilla(SCI_SETMARGINWIDTHN, static_cast<unsigned long>(margin), 0l);
    SendScintilla(SCI_SETWRAPMODE, static_cast<unsigned long>(SC_WRAP_NONE));
    SendScintilla(SCI_SETHSCROLLBAR, 1ul);
    SendScintilla(SCI_SETVSCROLLBAR, 1ul);
    SendScintilla(SCI_SETSCROLLWIDTHTRACKING, 1ul);
    SendScintilla(SCI_SETSCROLLWIDTH, 1ul);
    SendScintilla(SCI_SETTABWIDTH, 8ul);

    // Scintilla sizes fonts in points; the design gives pixels.
    const double points = kFontPixels * 72.0 / (logicalDpiY() > 0 ? logicalDpiY() : 96);
    const QByteArray family = fontFamily().toUtf8();
    SendScintilla(SCI_STYLESETFONT, kDefault, family.constData());
    SendScintilla(SCI_STYLESETSIZEFRACTIONAL, kDefault,
                  static_cast<long>(points * static_cast<int>(SC_FONT_SIZE_MULTIPLIER) + 0.5));
    SendScintilla(SCI_STYLESETWEIGHT, kDefault, 400l);
    SendScintilla(SCI_STYLESETFORE, kDefault, QColor(Qt::black));
    SendScintilla(SCI_STYLESETBACK, kDefault, QColor(Qt::white));
    SendScintilla(SCI_STYLECLEARALL);

    const QPalette pal = palette();
    SendScintilla(SCI_SETSELFORE, 1ul, pal.color(QPalette::Active, QPalette::HighlightedText));
    SendScintilla(SCI_SETSELBACK, 1ul, pal.color(QPalette::Active, QPalette::Highlight));
    SendScintilla(SCI_SETCARETFORE, QColor(Qt::black));
    SendScintilla(SCI_USEPOPUP, static_cast<unsigned long>(SC_POPUP_NEVER));
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
}

void PlainEditor::removeCodeEditorKeys() {
    // A plain edit control has none of these code-editor line commands; Ctrl+U would even change case.
    const int ctrl = SCMOD_CTRL << 16;
    const int shift = SCMOD_SHIFT << 16;
    for (const int key : {'D', 'L', 'T', 'U'}) {
        SendScintilla(SCI_CLEARCMDKEY, static_cast<unsigned long>(key | ctrl));
        SendScintilla(SCI_CLEARCMDKEY, static_cast<unsigned long>(key | ctrl | shift));
    }
    // Nor does it overtype (Insert would silently write over the text that follows) or zoom.
    SendScintilla(SCI_CLEARCMDKEY, static_cast<unsigned long>(SCK_INSERT));
    for (const int key : {SCK_ADD, SCK_SUBTRACT, SCK_DIVIDE})
        SendScintilla(SCI_CLEARCMDKEY, static_cast<unsigned long>(key | ctrl));
}

void PlainEditor::wheelEvent(QWheelEvent* event) {
    if (event->modifiers() & Qt::ControlModifier) {
        event->accept(); // Ctrl+wheel would zoom, which a plain edit control does not do
        return;
    }
    QsciScintillaBase::wheelEvent(event);
}

void PlainEditor::clearText() {
    SendScintilla(SCI_SETMODEVENTMASK, 0ul);
    SendScintilla(SCI_SETUNDOCOLLECTION, 0ul);
    SendScintilla(SCI_CLEARALL);
    SendScintilla(SCI_SETUNDOCOLLECTION, 1ul);
    SendScintilla(SCI_EMPTYUNDOBUFFER);
    reportChangesBySize();
}

void PlainEditor::reportChangesBySize() {
    const bool small = SendScintilla(SCI_GETLENGTH) < kAccessibleReportLimit;
    SendScintilla(SCI_SETMODEVENTMASK, small ? static_cast<unsigned long>(SC_MODEVENTMASKALL) : 0ul);
}

void PlainEditor::reserveText(std::size_t utf8Bytes) {
    SendScintilla(SCI_ALLOCATE, static_cast<unsigned long>(utf8Bytes));
}

void PlainEditor::appendText(std::string_view utf8) {
    SendScintilla(SCI_SETMODEVENTMASK, 0ul);
    SendScintilla(SCI_SETUNDOCOLLECTION, 0ul);
    SendScintilla(SCI_APPENDTEXT, static_cast<unsigned long>(utf8.size()), utf8.data());
    SendScintilla(SCI_SETUNDOCOLLECTION, 1ul);
}

void PlainEditor::finishLoading() {
    reportChangesBySize();
    SendScintilla(SCI_EMPTYUNDOBUFFER);
    SendScintilla(SCI_DOCUMENTSTART);
}

std::string_view PlainEditor::textView() {
    const auto length = static_cast<std::size_t>(SendScintilla(SCI_GETLENGTH));
    const auto* chars = static_cast<const char*>(SendScintillaPtrResult(SCI_GETCHARACTERPOINTER));
    return chars ? std::string_view(chars, length) : std::string_view();
}

bool PlainEditor::isModified() const { return SendScintilla(SCI_GETMODIFY) != 0; }

void PlainEditor::setModified(bool modified) {
    // Scintilla knows only the save point: a document becomes modified by being edited.
    if (!modified)
        SendScintilla(SCI_SETSAVEPOINT);
}

void PlainEditor::contextMenuEvent(QContextMenuEvent* event) {
    // The edit control's own menu, in the desktop's language.
    const bool hasSelection = SendScintilla(SCI_GETSELECTIONEMPTY) == 0;
    const bool writable = SendScintilla(SCI_GETREADONLY) == 0;
    QMenu menu(this);
    menu.addAction(QStringLiteral("撤消(&U)"), this, [this] { SendScintilla(SCI_UNDO); })
        ->setEnabled(writable && SendScintilla(SCI_CANUNDO) != 0);
    menu.addSeparator();
    menu.addAction(QStringLiteral("剪切(&T)"), this, [this] { SendScintilla(SCI_CUT); })
        ->setEnabled(writable && hasSelection);
    menu.addAction(QStringLiteral("复制(&C)"), this, [this] { SendScintilla(SCI_COPY); })->setEnabled(hasSelection);
    menu.addAction(QStringLiteral("粘贴(&P)"), this, [this] { SendScintilla(SCI_PASTE); })
        ->setEnabled(writable && SendScintilla(SCI_CANPASTE) != 0);
    menu.addAction(QStringLiteral("删除(&D)"), this, [this] { SendScintilla(SCI_CLEAR); })
        ->setEnabled(writable && hasSelection);
    menu.addSeparator();
    menu.addAction(QStringLiteral("全选(&A)"), this, [this] { SendScintilla(SCI_SELECTALL); })
        ->setEnabled(SendScintilla(SCI_GETLENGTH) > 0);
    menu.exec(event->globalPos());
}

} // namespace aquinepad
