// A window to type into for the system tests: a text box that writes its whole text, as UTF-8, to
// the file named on the command line after every change, so a test can read what arrived.
#include "common/file_io.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <cstdio>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 2)
        return 2;
    const std::filesystem::path out = argv[1];
    QPlainTextEdit edit;
    edit.setWindowTitle(QStringLiteral("typing target"));
    edit.resize(400, 200);
    edit.move(20, 20);
    // A test that cannot see what arrived must fail, not read a stale file.
    const auto record = [&](const std::string& text) {
        if (const auto written = aquine::writeFileAtomically(out, text); !written) {
            std::fprintf(stderr, "typing_target: %s\n", written.reason().c_str());
            QApplication::exit(3);
        }
    };
    QObject::connect(&edit, &QPlainTextEdit::textChanged, [&] { record(edit.toPlainText().toStdString()); });
    record("");
    edit.show();
    return app.exec();
}
