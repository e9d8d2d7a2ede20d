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
                                {kVersionLimit, false, m_timeouts.textIdle, m_timeouts.textWhole}, {}, owner);
    connect(fetch, &HttpFetch::finished, owner,
            [this, &context, fetch, owner, occasion](const QByteArray& body, const QString& failure) {
                fetch->deleteLater();
                // A failure is no reply at all, except a reply too long to be a version, which is judged as one;
                // the bytes are compared exactly as received otherwise.
                const bool cutOff = fetch->exceededLimit();
                const std::string version = failure.isEmpty() || cutOff ? body.toStdString() : std::string();
                QTimer::singleShot(pauseAfterReply(occasion), owner,
                                   [this, &context, version, cutOff] { conclude(context, version, cutOff); });
            });
}

void ServerUpdateChecker::conclude(NotepadContext& context, const std::string& version, bool cutOff) {
    m_checking = false;
    switch (judgeVersion(version, cutOff)) {
    case VersionVerdict::NoReply:
        context.prompter.message(QStringLiteral("网络连接失败！"), QStringLiteral("错误"), Prompter::Icon::Error,
                                 Prompter::Buttons::Ok);
        break;
    case VersionVerdict::NotAVersion:
        context.prompter.message(QStringLiteral("检查更新失败：") +
                                     QString::fromStdString(notAVersionReason(version, cutOff)),
                                 QStringLiteral("错误"), Prompter::Icon::Error, Prompter::Buttons::Ok);
        break;
    case VersionVerdict::Current: break;
    case VersionVerdict::Newer:
        if (context.prompter.message(aquine::qFromGbk(updateQuestion(version)), QStringLiteral("程序已有更新"),
                                     Prompter::Icon::None, Prompter::Buttons::YesNo) == Prompter::Button::Yes) {
            auto* window = new DownloadWindow(context, m_replies, m_network, m_timeouts, context.window.dialogParent());
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
