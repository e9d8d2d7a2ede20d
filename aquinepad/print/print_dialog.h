// The dialog that starts a print job: the user picks the printer (or printing to a PDF file) and its
// options. An interface, so tests answer it instead of a person and never wait on a real dialog.
#pragma once

class QPrinter;
class QWidget;

namespace aquinepad {

class PrintDialog {
public:
    virtual ~PrintDialog() = default;
    // Shows the choices for `printer` and sets it up as the user chose. False when the user called the
    // job off: nothing may be printed then.
    virtual bool choose(QPrinter& printer, QWidget* parent) = 0;
};

// Qt's print dialog: the printers CUPS knows, and printing to a PDF file when there are none.
class QtPrintDialog : public PrintDialog {
public:
    bool choose(QPrinter& printer, QWidget* parent) override;
};

} // namespace aquinepad
