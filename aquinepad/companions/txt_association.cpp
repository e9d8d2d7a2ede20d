// xdg-mime runs as a real process with its arguments passed one by one; the few files of our own
// are written through the safe write, so an interrupted association leaves no half-written file.
#include "aquinepad/companions/txt_association.h"

#include "aquinepad/companions/desktop_entry.h"
#include "aquinepad/companions/mime_defaults.h"
#include "common/file_io.h"

#include <QProcess>
#include <QStringList>
#include <cstdlib>
#include <system_error>

namespace aquinepad {

namespace {

constexpr std::string_view kPlainText = "text/plain";

std::filesystem::path listFile(const UserFolders& folders) { return folders.config / "mimeapps.list"; }
std::filesystem::path memoryFile(const UserFolders& folders) {
    return folders.config / "aquine" / "txt-default-before.ini";
}
std::filesystem::path entryFile(const UserFolders& folders) {
    return folders.data / "applications" / std::string(kTxtEntryName);
}

std::optional<std::filesystem::path> absoluteVariable(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0' || value[0] != '/')
        return std::nullopt;
    return std::filesystem::path(value);
}

QString qPath(const std::filesystem::path& path) { return QString::fromStdString(path.native()); }

// The tool's standard output, or why it could not be had. xdg-mime's query may look for a desktop
// session over D-Bus first; a tool that hangs is given up on rather than freezing the notepad.
aquine::Result<std::string> runXdgMime(const UserFolders& folders, const QStringList& arguments) {
    QProcess tool;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), qPath(folders.config));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), qPath(folders.data));
    tool.setProcessEnvironment(environment);
    tool.setStandardInputFile(QProcess::nullDevice());
    tool.start(QStringLiteral("xdg-mime"), arguments);
    if (!tool.waitForStarted())
        return aquine::fail("无法运行xdg-mime");
    if (!tool.waitForFinished(20000)) {
        tool.kill();
        tool.waitForFinished();
        return aquine::fail("xdg-mime没有响应");
    }
    if (tool.exitStatus() != QProcess::NormalExit || tool.exitCode() != 0)
        return aquine::fail("xdg-mime失败");
    return tool.readAllStandardOutput().trimmed().toStdString();
}

aquine::Result<> writeFile(const std::filesystem::path& file, std::string_view bytes) {
    std::error_code error;
    std::filesystem::create_directories(file.parent_path(), error);
    if (error)
        return aquine::fail(aquine::fileFailureReason("无法创建文件夹", file.parent_path(), error.value()));
    return aquine::writeFileAtomically(file, bytes);
}

aquine::Result<> removeFile(const std::filesystem::path& file) {
    std::error_code error;
    std::filesystem::remove(file, error);
    if (error)
        return aquine::fail(aquine::fileFailureReason("无法删除", file, error.value()));
    return {};
}

std::optional<UserDefault> remembered(const UserFolders& folders) {
    const auto text = aquine::readFileBytes(memoryFile(folders), aquine::kSettingsFileLimit);
    return text ? parseRemembered(*text) : std::nullopt;
}

} // namespace

aquine::Result<UserFolders> userFolders() {
    const auto home = absoluteVariable("HOME");
    auto config = absoluteVariable("XDG_CONFIG_HOME");
    auto data = absoluteVariable("XDG_DATA_HOME");
    if (!config && home)
        config = *home / ".config";
    if (!data && home)
        data = *home / ".local" / "share";
    if (!config || !data)
        return aquine::fail("找不到用户的配置文件夹");
    return UserFolders{*config, *data};
}

aquine::Result<> associateTxt(const UserFolders& folders, const std::filesystem::path& notepad) {
    const auto entry = txtEntryText(notepad);
    if (!entry)
        return aquine::fail(entry.reason());
    // Asked first, before our entry exists: it also proves xdg-mime is there before anything changes.
    const auto reported =
        runXdgMime(folders, {QStringLiteral("query"), QStringLiteral("default"), QString::fromLatin1(kPlainText)});
    if (!reported)
        return aquine::fail(reported.reason());

    const auto list = aquine::readFileBytes(listFile(folders), aquine::kSettingsFileLimit);
    const UserDefault current =
        readUserDefault(list ? std::optional<std::string_view>(*list) : std::nullopt, kPlainText);
    if (const auto before = defaultToRemember(current, remembered(folders), kTxtEntryName)) {
        if (auto written = writeFile(memoryFile(folders), rememberedText(*before, *reported)); !written)
            return written;
    }
    if (auto written = writeFile(entryFile(folders), *entry); !written)
        return written;
    const auto made = runXdgMime(
        folders, {QStringLiteral("default"), QString::fromLatin1(kTxtEntryName), QString::fromLatin1(kPlainText)});
    if (!made)
        return aquine::fail(made.reason());
    return {};
}

aquine::Result<> removeTxtAssociation(const UserFolders& folders) {
    // With nothing remembered, taking our line away is all that can be undone.
    const UserDefault before = remembered(folders).value_or(UserDefault{UserDefault::Kind::NoLine, {}});
    if (const auto list = aquine::readFileBytes(listFile(folders), aquine::kSettingsFileLimit)) {
        const Restoration restoration = restoreUserDefault(*list, kPlainText, kTxtEntryName, before);
        // A restoration that fails keeps what is remembered, so choosing 取消关联 again can finish it.
        if (restoration.action == Restoration::Action::Write) {
            if (auto written = aquine::writeFileAtomically(listFile(folders), restoration.text); !written)
                return written;
        } else if (restoration.action == Restoration::Action::Remove) {
            if (auto removed = removeFile(listFile(folders)); !removed)
                return removed;
        }
    }
    if (auto removed = removeFile(entryFile(folders)); !removed)
        return removed;
    return removeFile(memoryFile(folders));
}

} // namespace aquinepad
