// Reading and writing the notepad's keys through the private-profile module.
#include "aquinepad/config/settings.h"

#include "common/gbk_codec.h"
#include "common/ini_file.h"
#include "common/numbers.h"
#include "common/user_files.h"

#include <array>
#include <cerrno>

namespace aquinepad {

namespace {

const std::string& section() {
    static const std::string name = aquine::codec::utf8ToGbk("配置信息");
    return name;
}

// The common file reader is not safe on a folder (it sizes its buffer from the folder's "length"), and
// a folder where the settings file should be reads as no file at all.
bool isFolder(const std::filesystem::path& file) {
    std::error_code ec;
    return std::filesystem::is_directory(file, ec);
}

} // namespace

const std::string& settingName(SettingKey key) {
    static const auto names = [] {
        std::array<std::string, kSettings.size()> gbk;
        for (const SettingSpec& row : kSettings)
            gbk[static_cast<std::size_t>(row.key)] = aquine::codec::utf8ToGbk(row.name);
        return gbk;
    }();
    return names[static_cast<std::size_t>(key)];
}

Settings Settings::inProgramDirectory(const std::filesystem::path& dir) {
    return Settings(aquine::userFile(dir, "\\配置.ini", aquine::UserFolder::Config));
}

std::string Settings::read(SettingKey key) const {
    if (isFolder(m_file))
        return {};
    return aquine::ini::readKey(m_file, section(), settingName(key));
}

std::int64_t Settings::readInteger(SettingKey key) const { return aquine::toInteger(read(key)); }

aquine::Result<> Settings::write(SettingKey key, std::string_view gbk) const {
    if (isFolder(m_file))
        return aquine::fail(aquine::fileFailureReason("无法写入", m_file, EISDIR));
    return aquine::ini::writeKey(m_file, section(), settingName(key), gbk);
}

} // namespace aquinepad
