// The options window "配置选项": five tabs over the settings file. Texts and sliders come from the
// file each time it opens; the radio buttons always show their design state and only the clicks of
// this run count.
#pragma once

#include "aquinepad/config/options_choices.h"
#include "aquinepad/config/settings.h"
#include "common/qt/prompter.h"

#include <QDialog>
#include <filesystem>

class QLineEdit;
class QSlider;
class QRadioButton;

namespace aquinepad {

class SkinEngine;

class OptionsDialog : public QDialog {
    Q_OBJECT

public:
    OptionsDialog(const Settings& settings, OptionChoices& choices, aquine::Prompter& prompter, SkinEngine* skin,
                  std::filesystem::path programDir, QWidget* parent = nullptr);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* windowTab();
    QWidget* inputTab();
    QWidget* aeroTab();
    QWidget* skinTab();
    QWidget* speechTab();
    QLineEdit* addEdit(QWidget* page, const char* name);
    QSlider* addSlider(QWidget* page, const char* name, SettingKey key);
    QRadioButton* addRadio(QWidget* page, const char* name, const QString& caption, bool checked);

    void load();
    void chooseInputMethod(ImeChoice choice);
    void chooseSkin(SkinChoice choice);
    void chooseAero(AeroChoice choice);
    void save();
    void reportWriteFailure();

    const Settings& m_settings;
    OptionChoices& m_choices;
    aquine::Prompter& m_prompter;
    SkinEngine* m_skin;
    std::filesystem::path m_programDir;

    QLineEdit* m_left = nullptr;
    QLineEdit* m_top = nullptr;
    QLineEdit* m_width = nullptr;
    QLineEdit* m_height = nullptr;
    QLineEdit* m_speechRate = nullptr;
    QSlider* m_hue = nullptr;
    QSlider* m_transparency = nullptr;
    QSlider* m_shadow = nullptr;
};

} // namespace aquinepad
