// A page of the sharing window's browser views. The file field of the upload page asks the notepad's
// own open-file prompt, so a person sees the usual dialog and tests can answer it.
#pragma once

#include <QWebEnginePage>

namespace aquine {
class Prompter;
}

namespace aquinepad {

class SharePage : public QWebEnginePage {
public:
    SharePage(aquine::Prompter& prompter, QWebEngineProfile* profile, QObject* parent);

protected:
    QStringList chooseFiles(FileSelectionMode mode, const QStringList& oldFiles,
                            const QStringList& acceptedMimeTypes) override;

private:
    aquine::Prompter& m_prompter;
};

} // namespace aquinepad
