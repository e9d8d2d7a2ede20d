// A window to type into for the system tests: a text box that writes its whole text, as UTF-8, to
// the file named on the command line after every change, so a test can read what arrived.
#include "file_io.h"

#include <QApplication>
#include <QPlainTextEdit>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 2)
        return 2;
    const std::filesystem::path out = argv[1];
    QPlainTextEdit edit;
    edit.setWindowTitle(QStringLiteral("typing target"));
    edit.resize(400, 200);
    edit.move(20, 20);
    QObject::connect(&edit, &QPlainTextEdit::textChanged, [&] {
        aquine::writeFileAtomically(out, edit.toPlainText().toStdString());
    });
    aquine::writeFileAtomically(out, "");
    edit.show();
    return app.exec();
}
