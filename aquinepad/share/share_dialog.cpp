// The sharing window laid out as designed; everything after opening is done by the server's pages.
#include "aquinepad/share/share_dialog.h"

#include "aquinepad/share/share_page.h"
#include "common/qt/server_address.h"

#include <QDesktopServices>
#include <QGroupBox>
#include <QLabel>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineView>
#include <algorithm>

namespace aquinepad {

namespace {

const char* const kRules =
    "服务器有上传限制，最多上传2M的文档，一个普通的文档不会那么大吧？所以我会经常检查 ./files文件夹，"
    "若发现违规上传的（比如改扩展名，传个病毒上去），我肯定是要禁止他的IP访问LorvaneFileServer的，哼哼~ "
    "不过欢迎大家上传有意义的文档！最后你会得到分享链接，发到到论坛上吧，可以获得积分哦！ "
    "最后，我要说明一下，文件不能永久保存。";

constexpr int kRulesHeight = 48;

} // namespace

QUrl ShareDialog::uploadPageUrl() { return aquine::serverUrl(QStringLiteral("server/notepad_share/index.html")); }
QUrl ShareDialog::addressPageUrl() {
    return aquine::serverUrl(QStringLiteral("server/notepad_share/get_ip_server.php"));
}
QUrl ShareDialog::forumUrl() { return aquine::serverUrl(QStringLiteral("forum.php")); }

ShareDialog::ShareDialog(aquine::Prompter& prompter, QWidget* parent)
    // A profile of the window's own, kept in memory only: every opening fetches both pages afresh, and
    // nothing of one opening (cache, cookies) is left for the next.
    : QDialog(parent), m_profile(new QWebEngineProfile(this)) {
    setWindowTitle(QStringLiteral("分享文档！"));

    auto* explanation = new QGroupBox(QStringLiteral("说明："), this);
    explanation->setObjectName(QStringLiteral("分组框1"));
    auto* rules = new QLabel(QString::fromUtf8(kRules), explanation);
    rules->setObjectName(QStringLiteral("标签1"));
    rules->setWordWrap(true);
    rules->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // The designed box holds the rules in a narrow font; with a wider one the window grows rather than
    // cutting off the end of the rules.
    const int rulesHeight = std::max(kRulesHeight, rules->heightForWidth(488));
    const int grow = rulesHeight - kRulesHeight;
    rules->setGeometry(8, 16, 488, rulesHeight);
    explanation->setGeometry(0, 0, 504, 72 + grow);

    auto* upload = new QGroupBox(QStringLiteral("上传分享的文件"), this);
    upload->setObjectName(QStringLiteral("分组框2"));
    upload->setGeometry(0, 72 + grow, 504, 136);

    m_upload = makeView(prompter, upload, uploadPageUrl());
    m_upload->setObjectName(QStringLiteral("超文本浏览框1"));
    m_upload->setGeometry(8, 16, 488, 96);

    auto* forum = new QLabel(upload);
    forum->setObjectName(QStringLiteral("超级链接框1"));
    forum->setText(QStringLiteral("<a href=\"%1\">点击这里到论坛分享你的“分享地址”</a>")
                       .arg(forumUrl().toString(QUrl::FullyEncoded).toHtmlEscaped()));
    forum->setTextFormat(Qt::RichText);
    forum->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    forum->setGeometry(280, 112, 216, 16);
    connect(forum, &QLabel::linkActivated, this, [](const QString& link) { QDesktopServices::openUrl(QUrl(link)); });

    // Too small to show anything: only its request reaches the server. Without scroll bars and with a
    // see-through page, it leaves no grey speck on the window either.
    m_address = makeView(prompter, upload, addressPageUrl());
    m_address->setObjectName(QStringLiteral("超文本浏览框2"));
    m_address->setGeometry(16, 120, 8, 8);
    m_address->page()->settings()->setAttribute(QWebEngineSettings::ShowScrollBars, false);
    m_address->page()->setBackgroundColor(Qt::transparent);

    setFixedSize(510, 236 + grow);
}

ShareDialog::~ShareDialog() {
    // The pages must go before the profile they were made with.
    delete m_upload;
    delete m_address;
}

QWebEngineView* ShareDialog::makeView(aquine::Prompter& prompter, QWidget* parent, const QUrl& url) {
    auto* view = new QWebEngineView(parent);
    view->setPage(new SharePage(prompter, m_profile, view));
    view->setContextMenuPolicy(Qt::NoContextMenu);
    view->load(url);
    return view;
}

} // namespace aquinepad
