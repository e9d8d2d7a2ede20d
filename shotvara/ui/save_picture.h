// "另存为": ask for a file name, encode the picture in the chosen format, write it, report failures.
#pragma once

#include "common/qt/prompter.h"
#include "common/result.h"

#include <QImage>
#include <QString>

namespace shotvara {

class PictureSaver {
public:
    explicit PictureSaver(aquine::Prompter& prompter) : m_prompter(prompter) {}

    // Failed means the user has been told why.
    aquine::SaveOutcome saveAs(const QImage& picture);

private:
    aquine::Prompter& m_prompter;
    // The dialog comes back where the user last saved, with the row last chosen.
    QString m_lastDirectory;
    int m_lastRow = 0;
};

} // namespace shotvara
