// "朗读文档(&R)" in the notepad, with the real voice on a silent sound card: each word is selected in
// turn and the selection comes back; the command again, Escape or typing ends the reading.
#include "aquinepad/tests/notepad_fixture.h"

#include <QTest>

using namespace aquinepad;
using namespace aquinepad::testing;

namespace {

QString shown(TextRange r) { return QStringLiteral("%1-%2").arg(r.start).arg(r.end); }

// Every selection the editor shows, in order, while it lives: Scintilla tells of each one as it is made.
class SelectionLog {
public:
    explicit SelectionLog(PlainEditor& editor) {
        m_seen << shown(editor.selection());
        m_connection = QObject::connect(&editor, &QsciScintillaBase::QSCN_SELCHANGED, [this, &editor] {
            const QString now = shown(editor.selection());
            if (m_seen.back() != now)
                m_seen << now;
        });
    }
    ~SelectionLog() { QObject::disconnect(m_connection); }
    const QStringList& seen() const { return m_seen; }

private:
    QMetaObject::Connection m_connection;
    QStringList m_seen;
};

const QString kLongText = QStringLiteral("今天天气很好，我们去公园散步吧。").repeated(4);

} // namespace

class SpeechFeatureTest : public QObject {
    Q_OBJECT

private slots:
    void selectsEachWordInTurnThenRestoresTheSelection() {
        Notepad pad;
        pad.type(QStringLiteral("我的abc电脑"));
        auto& editor = pad.window->editor();
        editor.setSelection({3, 3});
        SelectionLog log(editor);
        pad.window->action(Command::ReadAloud)->trigger();
        const QStringList expected{"3-3", "0-3", "3-6", "6-9", "9-12", "12-15", "3-3"};
        QTRY_COMPARE_WITH_TIMEOUT(log.seen(), expected, 10000);
        QTest::qWait(200);
        QCOMPARE(log.seen(), expected);
        QVERIFY(pad.failures.isEmpty());
    }

    void theCommandAgainStopsTheReading() {
        Notepad pad;
        pad.type(kLongText);
        auto& editor = pad.window->editor();
        editor.setSelection({0, 0});
        pad.window->action(Command::ReadAloud)->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(!editor.selection().empty(), 5000);
        pad.window->action(Command::ReadAloud)->trigger();
        QCOMPARE(editor.selection(), (TextRange{0, 0}));
        QTest::qWait(400);
        QCOMPARE(editor.selection(), (TextRange{0, 0}));

        // And it reads again from the start.
        pad.window->action(Command::ReadAloud)->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(editor.selection(), (TextRange{0, 3}), 5000);
        pad.window->action(Command::ReadAloud)->trigger();
    }

    void escapeOrTypingStopsTheReading() {
        Notepad pad;
        pad.window->show();
        QVERIFY(QTest::qWaitForWindowActive(pad.window.get()));
        pad.type(kLongText);
        auto& editor = pad.window->editor();
        editor.setSelection({6, 12});
        pad.window->action(Command::ReadAloud)->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(editor.selection() != (TextRange{6, 12}), 5000);
        QTest::keyClick(editor.viewport(), Qt::Key_Escape);
        QCOMPARE(editor.selection(), (TextRange{6, 12}));
        QTest::qWait(400);
        QCOMPARE(editor.selection(), (TextRange{6, 12}));

        // Typing over the word being read: what was typed stays, and so does the caret.
        pad.window->action(Command::ReadAloud)->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(editor.selection() != (TextRange{6, 12}), 5000);
        editor.setSelection({0, 0});
        QTest::keyClick(editor.viewport(), Qt::Key_X);
        QCOMPARE(editor.selection(), (TextRange{1, 1}));
        QTest::qWait(400);
        QCOMPARE(editor.selection(), (TextRange{1, 1}));
        QCOMPARE(pad.text(), aquine::gbkFromQ(QStringLiteral("x") + kLongText));
    }
};

QTEST_MAIN(SpeechFeatureTest)
#include "speech_feature_test.moc"
