// The QScintilla editor keeps the same contract as the fake the unit tests use.
#include "aquinepad/editor/plain_editor.h"
#include "aquinepad/editor/tests/text_editor_contract.h"

#include <QAccessible>
#include <QTest>

using namespace aquinepad;

class PlainEditorTest : public QObject {
    Q_OBJECT

private slots:
    void keepsTheEditorContract() {
        PlainEditor editor;
        const auto failures = testing::textEditorContractFailures(editor);
        for (const std::string& failure : failures)
            qWarning("%s", failure.c_str());
        QVERIFY(failures.empty());
    }

    void anEditAfterUndoingPastTheSavePointNeverReadsAsSaved() {
        PlainEditor editor;
        editor.insertAtCaret("a");
        editor.setModified(false);
        editor.undo();
        QVERIFY(editor.isModified());
        editor.insertAtCaret("b");
        QVERIFY(editor.isModified());
    }

    // Typing reaches the editor past its interface, and a document too large for per-change reports
    // still has every change counted.
    void typingAndEditsOfALargeDocumentChangeTheTextVersion() {
        PlainEditor editor;
        std::uint64_t version = editor.textVersion();
        QTest::keyClick(editor.viewport(), Qt::Key_A);
        QCOMPARE(editor.textView(), std::string_view("a"));
        QVERIFY(editor.textVersion() != version);

        editor.clearText();
        std::string line(78, 'x');
        line += "\r\n";
        std::string large;
        while (large.size() < (9u << 20))
            large += line;
        editor.appendText(large);
        editor.finishLoading();
        version = editor.textVersion();
        QTest::keyClick(editor.viewport(), Qt::Key_B);
        QVERIFY(editor.textVersion() != version);
        version = editor.textVersion();
        QTest::keyClick(editor.viewport(), Qt::Key_Delete);
        QCOMPARE(editor.textView().size(), large.size());
        QVERIFY(editor.textVersion() != version);
        version = editor.textVersion();
        editor.undo();
        QVERIFY(editor.textVersion() != version);
    }

    // QScintilla's accessible object counts every character before the caret after each repaint. The
    // editor offers its text only to assistive technology that listens, and only while the document is
    // of ordinary size; it offers it again once the document is small.
    void onlyAListeningScreenReaderAndASmallDocumentGetTheText() {
        QAccessible::setActive(false);
        PlainEditor editor;
        editor.insertAtCaret("a");
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(&editor);
        QVERIFY(iface && !iface->textInterface());
        QCOMPARE(iface->role(), QAccessible::EditableText);

        QAccessible::setActive(true);
        iface = QAccessible::queryAccessibleInterface(&editor);
        QVERIFY(iface && iface->textInterface());

        editor.clearText();
        editor.appendText(std::string(9u << 20, 'x'));
        editor.finishLoading();
        iface = QAccessible::queryAccessibleInterface(&editor);
        QVERIFY(iface && !iface->textInterface());
        QCOMPARE(iface->role(), QAccessible::EditableText);

        // Cut down by an edit, not a load: the check follows the change.
        editor.selectAll();
        editor.replaceSelection("b");
        QCoreApplication::processEvents();
        iface = QAccessible::queryAccessibleInterface(&editor);
        QVERIFY(iface && iface->textInterface());
        QCOMPARE(iface->textInterface()->text(0, 1), QStringLiteral("b"));

        // And grown past the limit by one: typing a long paste, say.
        editor.insertAtCaret(std::string(9u << 20, 'y'));
        QCoreApplication::processEvents();
        iface = QAccessible::queryAccessibleInterface(&editor);
        QVERIFY(iface && !iface->textInterface());
        QAccessible::setActive(false);
    }
};

QTEST_MAIN(PlainEditorTest)
#include "plain_editor_test.moc"
