// The update check against the maker's server (aquine::serverUrl), and the download window it opens.
#pragma once

#include "aquinepad/update/download_window.h"
#include "aquinepad/update/update_checker.h"

#include <QNetworkAccessManager>
#include <QObject>

namespace aquinepad {

class ServerUpdateChecker : public QObject, public UpdateChecker {
    Q_OBJECT

public:
    // Must outlive the main window whose context it is handed. Tests shorten the timeouts.
    explicit ServerUpdateChecker(UpdateTimeouts timeouts = {}) : m_timeouts(timeouts) {}

    void check(NotepadContext& context, CheckOccasion occasion) override;

signals:
    // A check has said what it had to say, or nothing; the download window, if accepted, is open.
    void settled();
    void downloadWindowOpened(DownloadWindow* window);

private:
    void conclude(NotepadContext& context, const std::string& version, bool cutOff);

    UpdateTimeouts m_timeouts;
    QNetworkAccessManager m_network;
    UpdateReplies m_replies;
    bool m_checking = false;
};

} // namespace aquinepad
