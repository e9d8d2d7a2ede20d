// The QScintilla editor keeps the same contract as the fake the unit tests use.
#include "aquinepad/editor/plain_editor.h"
#include "aquinepad/editor/tests/text_editor_contract.h"

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
};

QTEST_MAIN(PlainEditorTest)
#include "plain_editor_test.moc"
