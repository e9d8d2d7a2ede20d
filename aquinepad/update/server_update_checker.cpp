// The version fetch, the pause the program has always taken before it speaks, and the offer.
#include "aquinepad/update/server_update_checker.h"

#include "aquinepad/feature/notepad_context.h"
#include "aquinepad/update/http_fetch.h"
#include "common/qt/gbk_qt.h"
#include "common/qt/server_address.h"

#include <QTimer>

namespace aquinepad {

using Prompter = aquine::Prompter;

void ServerUpdateChecker::check(NotepadContext& context, CheckOccasion occasion) {
    // One answer at a time: a second request while the first is out would only repeat it.
    if (m_checking)
        return;
    m_checking = true;
    // Everything hangs on the main window, so nothing of a check outlives the window it speaks through.
    QWidget* owner = context.window.dialogParent();
    auto* fetch = new HttpFetch(m_network, aquine::serverUrl(QStringLiteral("server/new_anotepad.txt")),
                                std::chrono::seconds(15), owner);
    connect(fetch, &HttpFetch::finished, owner, [this, &context, fetch, owner, occasion](const QByteArray& body) {
        fetch->deleteLater();
        // Any failure is no reply at all; the bytes are compared exactly as received otherwise.
        const std::string version = body.toStdString();
        QTimer::singleShot(pauseAfterReply(occasion), owner, [this, &context, version] { conclude(context, version); });
    });
}

void ServerUpdateChecker::conclude(NotepadContext& context, const std::string& version) {
    m_checking = false;
    switch (judgeVersion(version)) {
    case VersionVerdict::NoReply:
        context.prompter.message(QStringLiteral("网络连接失败！"), QStringLiteral("错误"), Prompter::Icon::Error,
                                 Prompter::Buttons::Ok);
        break;
    case VersionVerdict::Current: break;
    case VersionVerdict::Newer:
        if (context.prompter.message(aquine::qFromGbk(updateQuestion(version)), QStringLiteral("程序已有更新"),
                                     Prompter::Icon::None, Prompter::Buttons::YesNo) == Prompter::Button::Yes) {
            auto* window = new DownloadWindow(context, m_replies, m_network, context.window.dialogParent());
            window->setAttribute(Qt::WA_DeleteOnClose);
            window->setWindowModality(Qt::ApplicationModal);
            window->show();
            emit downloadWindowOpened(window);
        }
        break;
    }
    emit settled();
}

} // namespace aquinepad
