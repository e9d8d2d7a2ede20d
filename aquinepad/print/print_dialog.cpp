// Qt's print dialog behind the notepad's print seam.
#include "aquinepad/print/print_dialog.h"

#include <QPrintDialog>

namespace aquinepad {

bool QtPrintDialog::choose(QPrinter& printer, QWidget* parent) {
    // Qt's defaults fit a plain-text document: printer, copies, page range and print to file, but no
    // "selection" or "current page", which a text without pages yet has no meaning for.
    QPrintDialog dialog(&printer, parent);
    return dialog.exec() == QDialog::Accepted;
}

} // namespace aquinepad
