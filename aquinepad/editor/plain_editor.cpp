// Scintilla as a plain edit control.
#include "aquinepad/editor/plain_editor.h"

#include <QAccessibleWidget>
#include <QContextMenuEvent>
#include <QFontDatabase>
#include <QMenu>
#include <QPalette>
#include <QWheelEvent>
#include <algorithm>

namespace aquinepad {

namespace {

constexpr auto kDefault = static_cast<unsigned long>(QsciScintillaBase::STYLE_DEFAULT);

// Scintilla draws no struck-out text; an indicator over the whole text does it.
constexpr int kStrikeIndicator = 8;

QColor qColor(Rgb c) { return QColor(c.red, c.green, c.blue); }

unsigned long position(std::size_t p) { return static_cast<unsigned long>(p); }

// QScintilla reports every insertion and deletion to assistive technology with its character offset,
// which it finds by counting every character before it: a keystroke at the end of a 100 MB document
// would cost about a second, and a load in pieces would take time growing with the square of its size.
// Those reports are kept for documents of ordinary size only. Larger ones still hear of every change
// through the notices Scintilla sends before it, which QScintilla passes on without counting anything.
// The same count runs for the caret after every repaint while QScintilla's accessible object for the
// editor exists, and Qt makes one as soon as the editor has the focus, screen reader or not. So the
// editor has a plain one (see plainAccessible) unless assistive technology is listening and the
// document is of ordinary size.
constexpr long kAccessibleReportLimit = 8l << 20;
constexpr int kTextChanges = QsciScintillaBase::SC_MOD_INSERTTEXT | QsciScintillaBase::SC_MOD_DELETETEXT |
                             QsciScintillaBase::SC_MOD_BEFOREINSERT | QsciScintillaBase::SC_MOD_BEFOREDELETE;

// Asked before QScintilla's own factory, for the editor's most derived class; returning null lets the
// lookup go on to QScintilla's factory at its base class.
QAccessibleInterface* plainAccessible(const QString& className, QObject* object) {
    auto* editor = qobject_cast<PlainEditor*>(object);
    if (!editor || className != QLatin1StringView(PlainEditor::staticMetaObject.className()))
        return nullptr;
    return editor->accessibleForSize();
}

} // namespace

PlainEditor::PlainEditor(QWidget* parent) : QsciScintillaBase(parent) {
    setObjectName(QStringLiteral("编辑框"));
    m_font.family = fontFamily().toStdString();
    setUpDocument();
    setUpLook();
    removeCodeEditorKeys();
    // Installed after QScintilla's (its base class installs that one), so asked first.
    static const bool installed = (QAccessible::installFactory(plainAccessible), true);
    (void)installed;
    QAccessible::installActivationObserver(this);
}

PlainEditor::~PlainEditor() { QAccessible::removeActivationObserver(this); }

QAccessibleInterface* PlainEditor::accessibleForSize() {
    m_accessibleMade = true;
    // Its role and name still tell a screen reader what the control is; only the text is not offered.
    if (m_large || !m_assistiveTechnology)
        return new QAccessibleWidget(this, QAccessible::EditableText);
    return nullptr;
}

void PlainEditor::accessibilityActiveChanged(bool active) {
    m_assistiveTechnology = active;
    dropAccessible();
}

void PlainEditor::dropAccessible() {
    if (!m_accessibleMade)
        return;
    m_accessibleMade = false;
    // Made anew, for the document's new size, when next asked for.
    if (QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(this))
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(iface));
}

void PlainEditor::setUpDocument() {
    // A plain-text document needs no style bytes: without them a large file takes a third less memory.
    auto* doc = reinterpret_cast<void*>(
        SendScintilla(SCI_CREATEDOCUMENT, 0ul, static_cast<long>(SC_DOCUMENTOPTION_STYLES_NONE)));
    SendScintilla(SCI_SETDOCPOINTER, 0ul, doc);
    SendScintilla(SCI_RELEASEDOCUMENT, 0ul, doc);
    SendScintilla(SCI_SETCODEPAGE, static_cast<unsigned long>(SC_CP_UTF8));
    SendScintilla(SCI_SETEOLMODE, static_cast<unsigned long>(SC_EOL_CRLF));
    connect(this, &QsciScintillaBase::SCN_MODIFIED, this,
            [this](int, int type, const char*, int, int, int, int, int, int, int) {
                if (!(type & kTextChanges))
                    return;
                ++m_textVersion;
                // Typing or pasting may carry the document across the size limit. Scintilla is inside
                // the change here: the check comes after it.
                if (!m_sizeCheckPending) {
                    m_sizeCheckPending = true;
                    QMetaObject::invokeMethod(
                        this, [this] { reportChangesBySize(); }, Qt::QueuedConnection);
                }
            });
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
    // Measuring text through Qt is what painting costs most: the lines on screen keep their layout, so
    // a keystroke measures only the line it changed.
    SendScintilla(SCI_SETLAYOUTCACHE, static_cast<unsigned long>(SC_CACHE_PAGE));

    applyStyle();
    SendScintilla(SCI_INDICSETSTYLE, static_cast<unsigned long>(kStrikeIndicator), static_cast<long>(INDIC_STRIKE));
    connect(this, &QsciScintillaBase::SCN_MODIFIED, this,
            [this](int pos, int type, const char*, int length, int, int, int, int, int, int) {
                if (m_font.strikeOut && (type & SC_MOD_INSERTTEXT))
                    strikeOut(static_cast<std::size_t>(pos), static_cast<std::size_t>(length));
            });

    applySelectionColours();
    SendScintilla(SCI_USEPOPUP, static_cast<unsigned long>(SC_POPUP_NEVER));
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
}

void PlainEditor::applySelectionColours() {
    const QPalette pal = palette();
    SendScintilla(SCI_SETSELFORE, 1ul, pal.color(QPalette::Active, QPalette::HighlightedText));
    SendScintilla(SCI_SETSELBACK, 1ul, pal.color(QPalette::Active, QPalette::Highlight));
}

void PlainEditor::changeEvent(QEvent* event) {
    // A skin brings its own palette: the selection follows it like every other control's.
    if (event->type() == QEvent::PaletteChange)
        applySelectionColours();
    QsciScintillaBase::changeEvent(event);
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
    ++m_textVersion; // unannounced: the notices are off while loading
    reportChangesBySize();
}

void PlainEditor::reportChangesBySize() {
    m_sizeCheckPending = false;
    const bool large = SendScintilla(SCI_GETLENGTH) >= kAccessibleReportLimit;
    SendScintilla(SCI_SETMODEVENTMASK,
                  static_cast<unsigned long>(large ? SC_MOD_BEFOREINSERT | SC_MOD_BEFOREDELETE : SC_MODEVENTMASKALL));
    if (large != m_large) {
        m_large = large;
        dropAccessible();
    }
}

void PlainEditor::reserveText(std::size_t utf8Bytes) {
    SendScintilla(SCI_ALLOCATE, static_cast<unsigned long>(utf8Bytes));
}

void PlainEditor::appendText(std::string_view utf8) {
    SendScintilla(SCI_SETMODEVENTMASK, 0ul);
    SendScintilla(SCI_SETUNDOCOLLECTION, 0ul);
    SendScintilla(SCI_APPENDTEXT, static_cast<unsigned long>(utf8.size()), utf8.data());
    SendScintilla(SCI_SETUNDOCOLLECTION, 1ul);
    ++m_textVersion;
}

void PlainEditor::finishLoading() {
    reportChangesBySize();
    if (m_font.strikeOut)
        strikeOut(0, textView().size());
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

TextRange PlainEditor::selection() const {
    return {static_cast<std::size_t>(SendScintilla(SCI_GETSELECTIONSTART)),
            static_cast<std::size_t>(SendScintilla(SCI_GETSELECTIONEND))};
}

void PlainEditor::setSelection(TextRange range) {
    const auto length = static_cast<std::size_t>(SendScintilla(SCI_GETLENGTH));
    SendScintilla(SCI_SETSEL, position(std::min(range.start, length)), static_cast<long>(std::min(range.end, length)));
}

std::size_t PlainEditor::caretPosition() const { return static_cast<std::size_t>(SendScintilla(SCI_GETCURRENTPOS)); }

void PlainEditor::replaceRange(std::size_t start, std::size_t end, std::string_view utf8) {
    // A step of its own: Scintilla would otherwise merge it with typing next to it.
    UndoGroup group(*this);
    SendScintilla(SCI_SETTARGETRANGE, position(start), static_cast<long>(end));
    // Scintilla asserts on a null pointer, which an empty string_view may well carry.
    SendScintilla(SCI_REPLACETARGET, position(utf8.size()), utf8.empty() ? "" : utf8.data());
    SendScintilla(SCI_GOTOPOS, position(start + utf8.size()));
}

void PlainEditor::replaceSelection(std::string_view utf8) {
    const TextRange range = selection();
    replaceRange(range.start, range.end, utf8);
}

void PlainEditor::insertAtCaret(std::string_view utf8) {
    const std::size_t caret = caretPosition();
    replaceRange(caret, caret, utf8);
}

void PlainEditor::replaceAllText(std::string_view utf8) {
    UndoGroup group(*this);
    replaceRange(0, static_cast<std::size_t>(SendScintilla(SCI_GETLENGTH)), utf8);
    SendScintilla(SCI_DOCUMENTSTART);
}

void PlainEditor::beginUndoGroup() { SendScintilla(SCI_BEGINUNDOACTION); }
void PlainEditor::endUndoGroup() { SendScintilla(SCI_ENDUNDOACTION); }

void PlainEditor::undo() { SendScintilla(SCI_UNDO); }
void PlainEditor::cut() { SendScintilla(SCI_CUT); }
void PlainEditor::copy() { SendScintilla(SCI_COPY); }
void PlainEditor::paste() { SendScintilla(SCI_PASTE); }
void PlainEditor::selectAll() { SendScintilla(SCI_SELECTALL); }

void PlainEditor::setTextColour(Rgb colour) {
    m_textColour = colour;
    applyStyle();
}

void PlainEditor::setBackgroundColour(Rgb colour) {
    m_backgroundColour = colour;
    applyStyle();
}

void PlainEditor::setFont(const EditorFont& font) {
    m_font = font;
    applyStyle();
    SendScintilla(SCI_SETINDICATORCURRENT, static_cast<unsigned long>(kStrikeIndicator));
    SendScintilla(SCI_INDICATORCLEARRANGE, 0ul, SendScintilla(SCI_GETLENGTH));
    if (m_font.strikeOut)
        strikeOut(0, textView().size());
}

void PlainEditor::strikeOut(std::size_t start, std::size_t length) {
    SendScintilla(SCI_SETINDICATORCURRENT, static_cast<unsigned long>(kStrikeIndicator));
    SendScintilla(SCI_INDICSETFORE, static_cast<unsigned long>(kStrikeIndicator), qColor(m_textColour));
    SendScintilla(SCI_INDICATORFILLRANGE, position(start), static_cast<long>(length));
}

void PlainEditor::applyStyle() {
    // Scintilla sizes fonts in points; the notepad gives pixels.
    const double points = m_font.pixelSize * 72.0 / (logicalDpiY() > 0 ? logicalDpiY() : 96);
    SendScintilla(SCI_STYLESETFONT, kDefault, m_font.family.c_str());
    SendScintilla(SCI_STYLESETSIZEFRACTIONAL, kDefault,
                  static_cast<long>(points * static_cast<int>(SC_FONT_SIZE_MULTIPLIER) + 0.5));
    SendScintilla(SCI_STYLESETWEIGHT, kDefault, m_font.bold ? 700l : 400l);
    SendScintilla(SCI_STYLESETITALIC, kDefault, static_cast<long>(m_font.italic));
    SendScintilla(SCI_STYLESETUNDERLINE, kDefault, static_cast<long>(m_font.underline));
    SendScintilla(SCI_STYLESETFORE, kDefault, qColor(m_textColour));
    SendScintilla(SCI_STYLESETBACK, kDefault, qColor(m_backgroundColour));
    SendScintilla(SCI_STYLECLEARALL);
    SendScintilla(SCI_INDICSETFORE, static_cast<unsigned long>(kStrikeIndicator), qColor(m_textColour));
    // The caret stays visible on any paper.
    SendScintilla(SCI_SETCARETFORE, qColor(m_textColour));
}

void PlainEditor::setTextVisible(bool visible) {
    setVisible(visible);
    if (visible)
        setFocus();
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
