// Shared program start-up: the Chinese locale and translations.
#include "common/qt/app_setup.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <array>
#include <optional>
#include <utility>

#include <unistd.h>

namespace aquine {

namespace {

// Texts of Qt's dialogs that Debian's qtbase_zh_CN does not hold (Qt 6 moved them to a context of
// their own): the file dialog's type column. Asked after Qt's own translator, so it only fills gaps.
class MissingQtTexts : public QTranslator {
public:
    using QTranslator::QTranslator;

    bool isEmpty() const override { return false; }

    QString translate(const char* context, const char* sourceText, const char* disambiguation, int n) const override {
        Q_UNUSED(disambiguation);
        Q_UNUSED(n);
        if (qstrcmp(context, "QAbstractFileIconProvider") != 0)
            return {};
        static const std::array<std::pair<const char*, const char*>, 6> texts = {{
            {"Folder", "文件夹"},
            {"File Folder", "文件夹"},
            {"Drive", "驱动器"},
            {"Shortcut", "快捷方式"},
            {"Alias", "替身"},
            {"%1 File", "%1 文件"},
        }};
        for (const auto& [english, chinese] : texts)
            if (qstrcmp(sourceText, english) == 0)
                return QString::fromUtf8(chinese);
        return {};
    }
};

const QLocale kChinese(QLocale::Chinese, QLocale::SimplifiedChineseScript, QLocale::China);

} // namespace

void prepareChineseLocale() {
    constexpr std::array kNames = {"LC_ALL", "LANGUAGE"};
    std::array<std::optional<QByteArray>, kNames.size()> saved;
    for (std::size_t i = 0; i < kNames.size(); ++i)
        if (qEnvironmentVariableIsSet(kNames[i]))
            saved[i] = qgetenv(kNames[i]);
    qputenv("LC_ALL", "zh_CN.UTF-8");
    qputenv("LANGUAGE", "zh_CN");
    // Both are read on first use and kept for the run: the locale's formats and its languages.
    (void)QLocale::system().uiLanguages();
    for (std::size_t i = 0; i < kNames.size(); ++i) {
        if (saved[i])
            qputenv(kNames[i], *saved[i]);
        else
            qunsetenv(kNames[i]);
    }
}

void setUpApplication(QApplication& app) {
    // The translators must outlive every dialog, so they live as long as the application. The one
    // installed last is asked first.
    auto* missing = new MissingQtTexts(&app);
    QApplication::installTranslator(missing);
    auto* qt = new QTranslator(&app);
    if (qt->load(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(qt);
    // The browser engine takes its own words (the file field's button, error pages) from the default
    // locale when the first view is made, as do the file types' descriptions.
    QLocale::setDefault(kChinese);
}

void prepareWebViews() {
    if (::geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
}

} // namespace aquine
