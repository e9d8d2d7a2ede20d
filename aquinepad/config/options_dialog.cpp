// The options window's controls and handlers. Controls carry the names the notepad has always used
// (编辑框1, 单选框6, 滑块条4 ...), so tests and later tools find them by those names.
#include "aquinepad/config/options_dialog.h"

#include "aquinepad/companions/companion_launcher.h"
#include "aquinepad/skin/skin_engine.h"
#include "common/program_dir.h"
#include "common/qt/gbk_qt.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTabWidget>
#include <QVBoxLayout>

namespace aquinepad {

using aquine::Prompter;

OptionsDialog::OptionsDialog(const Settings& settings, OptionChoices& choices, Prompter& prompter, SkinEngine* skin,
                             std::filesystem::path programDir, QWidget* parent)
    : QDialog(parent), m_settings(settings), m_choices(choices), m_prompter(prompter), m_skin(skin),
      m_programDir(std::move(programDir)) {
    setWindowTitle(QStringLiteral("配置选项"));
    setGeometry(50, 50, 437, 293);

    auto* tabs = new QTabWidget(this);
    tabs->setObjectName(QStringLiteral("选择夹1"));
    tabs->addTab(windowTab(), QStringLiteral("窗口设置"));
    tabs->addTab(inputTab(), QStringLiteral("输入设置"));
    tabs->addTab(aeroTab(), QStringLiteral("Aero透明风格设置"));
    tabs->addTab(skinTab(), QStringLiteral("皮肤设置"));
    tabs->addTab(speechTab(), QStringLiteral("语音设置"));

    auto* save = new QPushButton(QStringLiteral("保存"), this);
    save->setObjectName(QStringLiteral("按钮2"));
    save->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("取消"), this);
    cancel->setObjectName(QStringLiteral("按钮1"));
    connect(save, &QPushButton::clicked, this, &OptionsDialog::save);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    // The width the desktop's own style gives a button of two characters: a skin draws buttons but
    // gives them no width, and the row's layout would otherwise shrink them to their text.
    for (QPushButton* button : {save, cancel})
        button->setMinimumWidth(80);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(save);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs);
    layout->addLayout(buttons);
    load();
}

QLineEdit* OptionsDialog::addEdit(QWidget* page, const char* name) {
    auto* edit = new QLineEdit(page);
    edit->setObjectName(QString::fromUtf8(name));
    return edit;
}

QSlider* OptionsDialog::addSlider(QWidget* page, const char* name, SettingKey key) {
    const SettingSpec& spec = settingSpec(key);
    auto* slider = new QSlider(Qt::Horizontal, page);
    slider->setObjectName(QString::fromUtf8(name));
    slider->setRange(spec.min, spec.max);
    slider->setValue(spec.defaultValue);
    slider->installEventFilter(this);
    return slider;
}

QRadioButton* OptionsDialog::addRadio(QWidget* page, const char* name, const QString& caption, bool checked) {
    auto* radio = new QRadioButton(caption, page);
    radio->setObjectName(QString::fromUtf8(name));
    radio->setChecked(checked);
    return radio;
}

QWidget* OptionsDialog::windowTab() {
    auto* page = new QWidget;
    auto* form = new QFormLayout(page);
    m_left = addEdit(page, "编辑框1");
    m_top = addEdit(page, "编辑框2");
    m_width = addEdit(page, "编辑框3");
    m_height = addEdit(page, "编辑框4");
    form->addRow(QStringLiteral("启动位置_距屏幕左边："), m_left);
    form->addRow(QStringLiteral("启动位置_距屏幕顶边："), m_top);
    form->addRow(QStringLiteral("窗口宽度："), m_width);
    form->addRow(QStringLiteral("窗口高度："), m_height);
    return page;
}

QWidget* OptionsDialog::inputTab() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(new QLabel(QStringLiteral("请选择要在程序内使用的输入法："), page));
    auto* user = addRadio(page, "单选框6", QStringLiteral("用户安装的输入法"), false);
    auto* builtIn = addRadio(page, "单选框7", QStringLiteral("程序内置输入法（不推荐，仅供应急使用）"), false);
    layout->addWidget(user);
    layout->addWidget(builtIn);
    layout->addStretch();
    connect(user, &QRadioButton::clicked, this, [this] { chooseInputMethod(ImeChoice::User); });
    connect(builtIn, &QRadioButton::clicked, this, [this] { chooseInputMethod(ImeChoice::BuiltIn); });
    return page;
}

QWidget* OptionsDialog::aeroTab() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    auto* on = addRadio(page, "单选框1", QStringLiteral("开启Aero特效"), true);
    auto* off = addRadio(page, "单选框2", QStringLiteral("关闭Aero特效"), false);
    m_transparency = addSlider(page, "滑块条4", SettingKey::Transparency);
    m_shadow = addSlider(page, "滑块条5", SettingKey::ShadowSize);
    layout->addWidget(on);
    layout->addWidget(off);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("透明度:"), m_transparency);
    form->addRow(QStringLiteral("阴影大小:"), m_shadow);
    layout->addLayout(form);
    layout->addStretch();
    connect(on, &QRadioButton::clicked, this, [this] { chooseAero(AeroChoice::On); });
    connect(off, &QRadioButton::clicked, this, [this] { chooseAero(AeroChoice::Off); });
    return page;
}

QWidget* OptionsDialog::skinTab() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    auto* blue = addRadio(page, "单选框3", QStringLiteral("默认蓝色风格"), true);
    auto* vista = addRadio(page, "单选框4", QStringLiteral("Windows Vista"), false);
    auto* qq = addRadio(page, "单选框5", QStringLiteral("QQ2008"), false);
    m_hue = addSlider(page, "滑块条1", SettingKey::Hue);
    layout->addWidget(blue);
    layout->addWidget(vista);
    layout->addWidget(qq);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("色调:"), m_hue);
    layout->addLayout(form);
    layout->addStretch();
    connect(blue, &QRadioButton::clicked, this, [this] { chooseSkin(SkinChoice::Blue); });
    connect(vista, &QRadioButton::clicked, this, [this] { chooseSkin(SkinChoice::Vista); });
    connect(qq, &QRadioButton::clicked, this, [this] { chooseSkin(SkinChoice::Qq2008); });
    return page;
}

QWidget* OptionsDialog::speechTab() {
    auto* page = new QWidget;
    auto* form = new QFormLayout(page);
    m_speechRate = addEdit(page, "编辑框5");
    form->addRow(QStringLiteral("TTS语音朗读语速(-10~10)："), m_speechRate);
    return page;
}

void OptionsDialog::load() {
    const OptionsForm form = loadOptionsForm(m_settings);
    m_left->setText(aquine::qFromGbk(form.left));
    m_top->setText(aquine::qFromGbk(form.top));
    m_width->setText(aquine::qFromGbk(form.width));
    m_height->setText(aquine::qFromGbk(form.height));
    m_speechRate->setText(aquine::qFromGbk(form.speechRate));
    m_hue->setValue(form.hue);
    m_transparency->setValue(form.transparency);
    m_shadow->setValue(form.shadowSize);
}

bool OptionsDialog::eventFilter(QObject* watched, QEvent* event) {
    // A slider's new value reaches the skin engine when the left button is released over it; moving it
    // with the keyboard only changes what "保存" stores.
    if (event->type() == QEvent::MouseButtonRelease && m_skin) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        auto* slider = qobject_cast<QSlider*>(watched);
        if (slider && mouse->button() == Qt::LeftButton && slider->rect().contains(mouse->position().toPoint())) {
            // The slider tracks the mouse, so its value is already the final one.
            if (slider == m_hue)
                m_skin->adjustHsv(m_hue->value(), 0, 0);
            else
                applyTranslucency(*m_skin, m_transparency->value(), m_shadow->value());
        }
    }
    return QDialog::eventFilter(watched, event);
}

void OptionsDialog::chooseInputMethod(ImeChoice choice) {
    m_choices.ime = choice;
    if (!m_settings.write(SettingKey::InputMethod, imeSetting(choice)))
        reportWriteFailure();
}

void OptionsDialog::chooseSkin(SkinChoice choice) {
    m_choices.skin = choice;
    if (m_skin)
        m_skin->attachEx(aquine::systemFile(m_programDir, skinSetting(choice)), "");
}

void OptionsDialog::chooseAero(AeroChoice choice) {
    m_choices.aero = choice;
    if (m_skin)
        m_skin->setAero(choice == AeroChoice::On ? 1 : 0);
}

void OptionsDialog::save() {
    OptionsForm form;
    form.left = aquine::gbkFromQ(m_left->text());
    form.top = aquine::gbkFromQ(m_top->text());
    form.width = aquine::gbkFromQ(m_width->text());
    form.height = aquine::gbkFromQ(m_height->text());
    form.hue = m_hue->value();
    form.transparency = m_transparency->value();
    form.shadowSize = m_shadow->value();
    form.speechRate = aquine::gbkFromQ(m_speechRate->text());
    if (!saveOptions(m_settings, form, m_choices)) {
        // The window stays open so nothing typed is lost; the user can retry or cancel.
        reportWriteFailure();
        return;
    }
    if (m_choices.ime == ImeChoice::BuiltIn)
        startCompanion(m_programDir, kInputMethodProgram);
    accept();
}

void OptionsDialog::reportWriteFailure() {
    m_prompter.message(QStringLiteral("保存配置失败！"), QStringLiteral("错误"), Prompter::Icon::Error,
                       Prompter::Buttons::Ok);
}

} // namespace aquinepad
