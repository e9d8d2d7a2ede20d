// Qt's own dialogs under the C locale, as a machine without a Chinese locale starts the programs:
// every text the file, font and colour dialogs show is Chinese, sizes and dates are written the Chinese way,
// the font dialog still starts on the font's own style, and the environment the programs hand on is
// left as the user had it.
#include "common/qt/app_setup.h"
#include "common/qt/qt_prompter.h"
#include "common/qt/tests/when_modal.h"

#include <QAbstractButton>
#include <QApplication>
#include <QColorDialog>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileSystemModel>
#include <QFontDialog>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QRegularExpression>
#include <QStyledItemDelegate>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

using namespace aquine;

namespace {

// Runs of three or more Latin letters: English words, where the texts should be Chinese. Names in
// capitals (HTML, the colour dialog's field) are names in Chinese texts too.
QStringList englishIn(const QStringList& texts) {
    static const QRegularExpression word(QStringLiteral("[A-Za-z]{3,}"));
    QStringList found;
    for (const QString& text : texts)
        for (const auto& match : word.globalMatch(QString(text).remove(QLatin1Char('&'))))
            if (match.captured() != match.captured().toUpper())
                found << QStringLiteral("“%1” in “%2”").arg(match.captured(), text);
    return found;
}

// What a window shows in words of its own: labels, buttons, group titles, tooltips and choices.
QStringList shownTexts(QWidget* window) {
    QStringList texts;
    for (const QWidget* w : window->findChildren<QWidget*>()) {
        if (!w->isVisibleTo(window))
            continue;
        if (const auto* label = qobject_cast<const QLabel*>(w))
            texts << label->text();
        if (const auto* button = qobject_cast<const QAbstractButton*>(w))
            texts << button->text() << button->toolTip();
        if (const auto* group = qobject_cast<const QGroupBox*>(w))
            texts << group->title();
        if (const auto* combo = qobject_cast<const QComboBox*>(w))
            for (int i = 0; i < combo->count(); ++i)
                texts << combo->itemText(i);
    }
    return texts;
}

void keepPicture(QWidget* dialog, const QString& name) {
    const QString dir = qEnvironmentVariable("AQUINE_ARTEFACTS");
    if (!dir.isEmpty() && QDir().mkpath(dir))
        dialog->grab().save(dir + QLatin1Char('/') + name);
}

} // namespace

class ChineseDialogsTest : public QObject {
    Q_OBJECT

private slots:
    void theEnvironmentIsHandedOnAsItWas() {
        QCOMPARE(qgetenv("LC_ALL"), QByteArray("C"));
        QVERIFY(!qEnvironmentVariableIsSet("LANGUAGE"));
        QCOMPARE(QLocale::system().language(), QLocale::Chinese);
        QCOMPARE(QLocale().territory(), QLocale::China);
    }

    void theFileDialogNamesTypesSizesAndDatesInChinese() {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("资料")));
        QFile file(dir.filePath(QStringLiteral("短文.txt")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(85, 'a'));
        file.close();

        QStringList texts;
        QStringList cells;
        whenModal([&](QWidget* dialog) {
            auto* model = dialog->findChild<QFileSystemModel*>();
            QVERIFY(model);
            const QModelIndex folder = model->index(dir.path());
            QVERIFY(QTest::qWaitFor([&] {
                return model->rowCount(folder) == 2 && !model->index(1, 3, folder).data().toString().isEmpty();
            }));
            // The detail view, so the picture shows every column.
            if (auto* detail = dialog->findChild<QAbstractButton*>(QStringLiteral("detailModeButton")))
                detail->click();
            for (int row = 0; row < 2; ++row)
                for (int column = 1; column < model->columnCount(folder); ++column)
                    cells << model->index(row, column, folder).data().toString();
            for (int column = 0; column < model->columnCount(folder); ++column)
                texts << model->headerData(column, Qt::Horizontal).toString();
            texts << shownTexts(dialog) << cells;
            dialog->resize(640, 400);
            keepPicture(dialog, QStringLiteral("chinese_file_dialog.png"));
            dialog->close();
        });
        QtPrompter prompter;
        QVERIFY(!prompter.openFile({.title = QStringLiteral("请选择欲打开的文本文件名："),
                                    .filter = QStringLiteral("文本文档(.txt)|*.txt|所有文件(*.*)|*.*"),
                                    .initialName = dir.filePath(QStringLiteral("短文.txt"))}));

        QVERIFY2(cells.contains(QStringLiteral("文件夹")), qPrintable(cells.join(QLatin1Char('|'))));
        QVERIFY2(cells.contains(QStringLiteral("85 字节")), qPrintable(cells.join(QLatin1Char('|'))));
        const QString today =
            QLocale(QLocale::Chinese, QLocale::China).toString(QDate::currentDate(), QLocale::ShortFormat);
        QVERIFY2(std::any_of(cells.begin(), cells.end(), [&](const QString& c) { return c.startsWith(today); }),
                 qPrintable(cells.join(QLatin1Char('|'))));
        // Folder names, file names and patterns are the user's own words, not the dialog's.
        texts.removeIf([&](const QString& t) { return t.contains(QStringLiteral("txt")) || t.contains(dir.path()); });
        const QStringList english = englishIn(texts);
        QVERIFY2(english.isEmpty(), qPrintable(english.join(QLatin1Char('\n'))));
    }

    void theFontDialogShowsChineseStylesAndAChineseSample() {
        QStringList texts;
        QStringList styles;
        QString sample;
        QString chosenStyle;
        whenModal([&](QWidget* dialog) {
            auto* fonts = dialog->findChild<QFontDialog*>();
            QVERIFY(fonts);
            const auto lists = fonts->findChildren<QListView*>(QString(), Qt::FindDirectChildrenOnly);
            QCOMPARE(lists.size(), 3);
            const QListView* styleList = lists.at(1);
            QAbstractItemModel* model = styleList->model();
            chosenStyle = styleList->currentIndex().data().toString();
            for (int row = 0; row < model->rowCount(); ++row) {
                const QModelIndex index = model->index(row, 0);
                const auto* delegate = qobject_cast<const QStyledItemDelegate*>(styleList->itemDelegateForIndex(index));
                QVERIFY(delegate);
                styles << delegate->displayText(index.data(), QLocale());
            }
            for (const QLineEdit* edit : fonts->findChildren<QLineEdit*>())
                if (edit->objectName() == QStringLiteral("qt_fontDialog_sampleEdit"))
                    sample = edit->text();
                else if (edit->focusProxy() != lists.at(0)) // the family's name is the font's own
                    texts << edit->text();
            texts << shownTexts(dialog) << styles << sample;
            keepPicture(dialog, QStringLiteral("chinese_font_dialog.png"));
            dialog->close();
        });
        QtPrompter prompter;
        QFont initial(QStringLiteral("DejaVu Sans"));
        initial.setBold(true);
        QVERIFY(!prompter.chooseFont(initial, Qt::black));

        QVERIFY2(styles.contains(QStringLiteral("粗体")), qPrintable(styles.join(QLatin1Char('|'))));
        // The bold font's own style is the one chosen, though Qt looks it up by its Chinese name.
        QCOMPARE(chosenStyle, QStringLiteral("Bold"));
        QVERIFY(sample.contains(QStringLiteral("中文")));
        const QStringList english = englishIn(texts);
        QVERIFY2(english.isEmpty(), qPrintable(english.join(QLatin1Char('\n'))));
    }

    void theColourDialogIsChinese() {
        QStringList texts;
        whenModal([&](QWidget* dialog) {
            texts = shownTexts(dialog);
            dialog->close();
        });
        QColorDialog::getColor(Qt::red, nullptr, QStringLiteral("颜色"), QColorDialog::DontUseNativeDialog);
        QVERIFY(!texts.isEmpty());
        const QStringList english = englishIn(texts);
        QVERIFY2(english.isEmpty(), qPrintable(english.join(QLatin1Char('\n'))));
    }
};

int main(int argc, char** argv) {
    aquine::prepareChineseLocale();
    QApplication app(argc, argv);
    aquine::setUpApplication(app);
    ChineseDialogsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "chinese_dialogs_test.moc"
