// The window "分享文档！": the server's rules, its upload page and its address page in browser views,
// and a link to the forum where users post their share links.
#pragma once

#include <QDialog>
#include <QUrl>

class QWebEngineProfile;
class QWebEngineView;

namespace aquine {
class Prompter;
}

namespace aquinepad {

class ShareDialog : public QDialog {
public:
    explicit ShareDialog(aquine::Prompter& prompter, QWidget* parent = nullptr);
    ~ShareDialog() override;

    static QUrl uploadPageUrl();
    static QUrl addressPageUrl();
    static QUrl forumUrl();

    QWebEngineView* uploadView() const { return m_upload; }
    QWebEngineView* addressView() const { return m_address; }

private:
    QWebEngineView* makeView(aquine::Prompter& prompter, QWidget* parent, const QUrl& url);

    QWebEngineProfile* m_profile;
    QWebEngineView* m_upload;
    QWebEngineView* m_address;
};

} // namespace aquinepad
