// The upload page's file choice through the Prompter.
#include "aquinepad/share/share_page.h"

#include "common/qt/prompter.h"

namespace aquinepad {

SharePage::SharePage(aquine::Prompter& prompter, QWebEngineProfile* profile, QObject* parent)
    : QWebEnginePage(profile, parent), m_prompter(prompter) {}

QStringList SharePage::chooseFiles(FileSelectionMode, const QStringList&, const QStringList&) {
    // The page uploads one file at a time, so a multiple-choice field still gets one file.
    const auto answer = m_prompter.openFile({
        .title = QStringLiteral("请选择要分享的文件："),
        .filter = QStringLiteral("所有文件(*.*)|*.*"),
    });
    if (!answer || answer->path.isEmpty())
        return {};
    return {answer->path};
}

} // namespace aquinepad
