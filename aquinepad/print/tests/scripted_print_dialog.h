// A print dialog for tests: answers come from a script, in order. Confirming sends the job to a PDF
// file, as the real dialog's "print to file" does, so everything after the dialog is the real printing.
// A dialog the script did not expect fails the test instead of waiting for a click.
#pragma once

#include "aquinepad/print/print_dialog.h"

#include <QList>
#include <QMarginsF>
#include <QPageLayout>
#include <QPrinter>
#include <QString>
#include <functional>
#include <optional>

namespace aquinepad::testing {

class ScriptedPrintDialog : public PrintDialog {
public:
    ScriptedPrintDialog& answerPrintToFile(const QString& pdfPath) {
        m_script.append(pdfPath);
        return *this;
    }
    ScriptedPrintDialog& answerCancel() {
        m_script.append(std::nullopt);
        return *this;
    }
    void setFailureHandler(std::function<void(const QString&)> handler) { m_fail = std::move(handler); }

    int shown() const { return m_shown; }
    qsizetype pending() const { return m_script.size(); }
    // What the printer held when the dialog opened.
    QString docName() const { return m_docName; }
    QMarginsF marginsMm() const { return m_marginsMm; }

    bool choose(QPrinter& printer, QWidget*) override {
        ++m_shown;
        m_docName = printer.docName();
        m_marginsMm = printer.pageLayout().margins(QPageLayout::Millimeter);
        if (m_script.isEmpty()) {
            const QString what = QStringLiteral("unexpected print dialog");
            if (m_fail)
                m_fail(what);
            else
                qFatal("%s", qPrintable(what));
            return false;
        }
        const std::optional<QString> answer = m_script.takeFirst();
        if (!answer)
            return false;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(*answer);
        return true;
    }

private:
    QList<std::optional<QString>> m_script;
    std::function<void(const QString&)> m_fail;
    int m_shown = 0;
    QString m_docName;
    QMarginsF m_marginsMm;
};

} // namespace aquinepad::testing
