// 关联.txt文件 and 取消关联 with the real xdg-mime, in a private desktop: the default program for
// text/plain before, after the association, and after taking it back is the one from before, and
// every file is as it was.
#include "aquinepad/tests/notepad_fixture.h"

#include <QDirIterator>
#include <QMap>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <optional>

using namespace aquinepad;
using namespace aquinepad::testing;

namespace {

const QString kOurEntry = QStringLiteral("aquinepad-txt.desktop");

// HOME, the user's folders and the "system" folders all inside one temporary folder, with no desktop
// session to ask, so xdg-mime sees nothing of the machine's own defaults.
class PrivateDesktop {
public:
    PrivateDesktop() {
        const QMap<QByteArray, QString> folders = {{"HOME", QStringLiteral("home")},
                                                   {"XDG_CONFIG_HOME", QStringLiteral("config")},
                                                   {"XDG_DATA_HOME", QStringLiteral("data")},
                                                   {"XDG_CONFIG_DIRS", QStringLiteral("system-config")},
                                                   {"XDG_DATA_DIRS", QStringLiteral("system")}};
        for (auto it = folders.begin(); it != folders.end(); ++it) {
            keep(it.key());
            QDir().mkpath(path(it.value()));
            qputenv(it.key().constData(), path(it.value()).toUtf8());
        }
        for (const char* name : {"XDG_CURRENT_DESKTOP", "DESKTOP_SESSION", "KDE_FULL_SESSION", "KDE_SESSION_VERSION",
                                 "GNOME_DESKTOP_SESSION_ID", "MATE_DESKTOP_SESSION_ID", "XDG_MENU_PREFIX", "DISPLAY",
                                 "DBUS_SESSION_BUS_ADDRESS"}) {
            keep(name);
            qunsetenv(name);
        }
    }
    ~PrivateDesktop() {
        for (auto it = m_saved.begin(); it != m_saved.end(); ++it) {
            if (it.value())
                qputenv(it.key().constData(), *it.value());
            else
                qunsetenv(it.key().constData());
        }
    }

    QString path(const QString& relative) const { return m_root.filePath(relative); }
    QString ourEntry() const { return path(QStringLiteral("data/applications/") + kOurEntry); }

    // Another program able to open text, in the user's or the system's applications folder.
    void addEditor(const QString& folder, const QString& entry) {
        QDir().mkpath(path(folder + QStringLiteral("/applications")));
        writeAll(path(folder + QStringLiteral("/applications/") + entry),
                 "[Desktop Entry]\nType=Application\nName=Editor\nExec=/bin/true %f\nMimeType=text/plain;\n");
    }
    void setSystemDefault(const QString& entry) {
        addEditor(QStringLiteral("system"), entry);
        writeAll(path(QStringLiteral("system/applications/defaults.list")),
                 "[Default Applications]\ntext/plain=" + entry.toUtf8() + "\n");
    }

    QString defaultForText() const {
        QProcess tool;
        tool.start(QStringLiteral("xdg-mime"),
                   {QStringLiteral("query"), QStringLiteral("default"), QStringLiteral("text/plain")});
        tool.waitForFinished(30000);
        return QString::fromUtf8(tool.readAllStandardOutput().trimmed());
    }

    // Every file under the root with its contents: what "as it was" is compared by.
    QMap<QString, QByteArray> files() const {
        QMap<QString, QByteArray> out;
        QDirIterator it(m_root.path(), QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString file = it.next();
            out.insert(QDir(m_root.path()).relativeFilePath(file), readAll(file));
        }
        return out;
    }

private:
    void keep(const QByteArray& name) {
        if (!m_saved.contains(name))
            m_saved.insert(name, qEnvironmentVariableIsSet(name.constData())
                                     ? std::optional<QByteArray>(qgetenv(name.constData()))
                                     : std::nullopt);
    }

    QTemporaryDir m_root;
    QMap<QByteArray, std::optional<QByteArray>> m_saved;
};

// The notepad's own program as a desktop would start it: a stand-in that notes the file it was given.
void placeNotepad(Notepad& pad) {
    const QString program = pad.programDir.filePath(QStringLiteral("aquinepad"));
    writeAll(program, "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"${0%/*}/opened\"\n");
    QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

void associate(Notepad& pad) { pad.window->action(Command::AssociateTxt)->trigger(); }
void removeAssociation(Notepad& pad) { pad.window->action(Command::RemoveAssociation)->trigger(); }

} // namespace

class TxtAssociationTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        if (QStandardPaths::findExecutable(QStringLiteral("xdg-mime")).isEmpty())
            QFAIL("xdg-mime is missing: tools/install-deps.sh installs xdg-utils");
    }

    void theDefaultFromBeforeComesBack_data() {
        QTest::addColumn<QByteArray>("list"); // null: the user has no list
        QTest::addColumn<bool>("systemDefault");
        QTest::addColumn<QString>("before");
        const QByteArray added = "[Added Associations]\ntext/plain=user-editor.desktop;\n";
        QTest::newRow("nothing anywhere") << QByteArray() << false << QString();
        QTest::newRow("a list without defaults")
            << QByteArray("# mine\n\n" + added + "\n\n") << true << QStringLiteral("system-editor.desktop");
        QTest::newRow("defaults for other types")
            << QByteArray("[Default Applications]\nimage/png=viewer.desktop\n\n\n" + added) << true
            << QStringLiteral("system-editor.desktop");
        QTest::newRow("the user's own default")
            << QByteArray("[Default Applications]\nimage/png=viewer.desktop\ntext/plain=user-editor.desktop\n\n" +
                          added)
            << true << QStringLiteral("user-editor.desktop");
    }

    // Associating twice, as people do when nothing seems to happen, must not lose the default from
    // before: the second time our own entry is the default, and remembering it would leave nothing.
    void theDefaultFromBeforeComesBack() {
        QFETCH(QByteArray, list);
        QFETCH(bool, systemDefault);
        QFETCH(QString, before);
        PrivateDesktop desktop;
        if (systemDefault)
            desktop.setSystemDefault(QStringLiteral("system-editor.desktop"));
        if (!list.isNull()) {
            desktop.addEditor(QStringLiteral("data"), QStringLiteral("user-editor.desktop"));
            writeAll(desktop.path(QStringLiteral("config/mimeapps.list")), list);
        }
        Notepad pad;
        placeNotepad(pad);
        const auto files = desktop.files();
        QCOMPARE(desktop.defaultForText(), before);

        associate(pad);
        QCOMPARE(desktop.defaultForText(), kOurEntry);
        const QByteArray entry = readAll(desktop.ourEntry());
        QVERIFY2(entry.contains("\nExec=" + pad.programDir.filePath(QStringLiteral("aquinepad")).toUtf8() + " %f\n"),
                 entry.constData());
        QVERIFY(entry.contains("\nMimeType=text/plain;\n"));
        QVERIFY(QFile::exists(desktop.path(QStringLiteral("config/aquine/txt-default-before.ini"))));
        associate(pad);
        QCOMPARE(desktop.defaultForText(), kOurEntry);

        removeAssociation(pad);
        QCOMPARE(desktop.defaultForText(), before);
        QCOMPARE(desktop.files(), files);
        QVERIFY(pad.prompter.calls().isEmpty());
        QVERIFY(pad.failures.isEmpty());
    }

    // The entry's Exec quoting is checked by the desktop's own tools: the validator accepts it and
    // GIO's launcher starts the notepad from a folder full of blanks, quotes and shell characters.
    void aTextFileOpensInTheNotepadWhateverItsFolderIsCalled() {
        PrivateDesktop desktop;
        Notepad pad(QStringLiteral("记事本 \"程序\" it's $HOME `id` \\ (1)"));
        QVERIFY(pad.programDir.isValid());
        placeNotepad(pad);
        associate(pad);
        QVERIFY(QFile::exists(desktop.ourEntry()));

        QProcess validate;
        validate.start(QStringLiteral("desktop-file-validate"), {desktop.ourEntry()});
        QVERIFY(validate.waitForFinished(30000));
        QVERIFY2(validate.exitCode() == 0, validate.readAllStandardOutput().constData());

        const QString document = pad.file(QStringLiteral("一份 文档.txt"));
        writeAll(document, "text\n");
        QProcess open;
        open.start(QStringLiteral("gio"), {QStringLiteral("open"), document});
        QVERIFY(open.waitForFinished(30000));
        const QString opened = pad.programDir.filePath(QStringLiteral("opened"));
        QTRY_COMPARE(readAll(opened), document.toUtf8() + "\n");
        QVERIFY(pad.failures.isEmpty());
    }

    // A folder name with a line break would add keys of its own to the entry; without xdg-mime nothing
    // can be done. Either way nothing is written and nothing is shown.
    void failuresShowNothingAndChangeNothing() {
        PrivateDesktop desktop;
        const auto files = desktop.files();
        Notepad lineBreak(QStringLiteral("折行\nExec=false"));
        QVERIFY(lineBreak.programDir.isValid());
        placeNotepad(lineBreak);
        associate(lineBreak);

        Notepad noTool;
        placeNotepad(noTool);
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", desktop.path(QStringLiteral("home")).toUtf8());
        associate(noTool);
        qputenv("PATH", path);

        QCOMPARE(desktop.files(), files);
        QVERIFY(lineBreak.prompter.calls().isEmpty() && noTool.prompter.calls().isEmpty());
        QVERIFY(lineBreak.failures.isEmpty() && noTool.failures.isEmpty());
    }
};

QTEST_MAIN(TxtAssociationTest)
#include "txt_association_test.moc"
