// The settings file as start-up reads it: absent keys and non-numbers, and the look the skin engine
// is given from the stored values.
#include "aquinepad/config/settings.h"
#include "aquinepad/skin/skin_engine.h"
#include "aquinepad/skin/tests/recording_skin.h"
#include "common/tests/gbk_literal.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>
#include <vector>

using namespace aquinepad;
using aquinepad::testing::RecordingSkin;
namespace fs = std::filesystem;

namespace {

fs::path makeTempDir() {
    std::string tmpl = (fs::temp_directory_path() / "aquinepad-settings-XXXXXX").string();
    return ::mkdtemp(tmpl.data());
}

class SettingsTest : public ::testing::Test {
protected:
    ~SettingsTest() override { fs::remove_all(dir); }
    void writeFile(std::string_view bytes) const {
        std::ofstream(settings.file(), std::ios::binary)
            .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }

    fs::path dir = makeTempDir();
    Settings settings = Settings::inProgramDirectory(dir);
};

} // namespace

TEST_F(SettingsTest, AbsentFileAndKeysReadEmptyAndZero) {
    EXPECT_EQ(settings.read(SettingKey::Skin), "");
    EXPECT_EQ(settings.readInteger(SettingKey::WindowWidth), 0);
    writeFile(G("[配置信息]\r\n色调=12.9\r\n透明度=abc\r\n"));
    EXPECT_EQ(settings.readInteger(SettingKey::Hue), 12);
    EXPECT_EQ(settings.readInteger(SettingKey::Transparency), 0);
    EXPECT_EQ(settings.read(SettingKey::ShadowSize), "");
}

TEST_F(SettingsTest, StartupLookCallsTheEngineInOrderWithStoredValues) {
    writeFile(G("[配置信息]\r\n色调=33\r\n透明度=120\r\n阴影大小=10\r\n皮肤=\\QQ2008.she\r\naero=是\r\n"));
    RecordingSkin skin;
    applyStartupLook(skin, settings, "/opt/aquine");
    EXPECT_EQ(skin.calls, (std::vector<std::string>{"attach", "setAero 1", "attachEx /opt/aquine/QQ2008.she|",
                                                    "adjustAero 120 0 8 10 0 0 0 0 0", "adjustHsv 33 0 0"}));
}

TEST_F(SettingsTest, StartupLookWithDefaultAbsentAndOtherValues) {
    writeFile(G("[配置信息]\r\n皮肤=默认\r\naero=yes\r\n"));
    RecordingSkin skin;
    applyStartupLook(skin, settings, "/opt/aquine");
    EXPECT_EQ(skin.calls.at(1), "setAero 0"); // only "是" switches it on
    EXPECT_EQ(skin.calls.at(2), "attachEx |");
    EXPECT_EQ(skinFileFor("/opt/aquine", ""), fs::path("/opt/aquine/"));
}

TEST_F(SettingsTest, AFolderInPlaceOfTheFileReadsAsNoFileAndCannotBeWritten) {
    fs::create_directory(settings.file());
    EXPECT_EQ(settings.read(SettingKey::WindowWidth), "");
    EXPECT_FALSE(settings.write(SettingKey::InputMethod, "x"));
}
