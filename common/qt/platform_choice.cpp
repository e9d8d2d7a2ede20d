// The platform choice: only the one variable Qt reads is touched, and only while Qt reads it.
#include "common/qt/platform_choice.h"

#include <QtGlobal>

namespace aquine {

PlatformChoice::PlatformChoice() {
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") || qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return;
    m_wasSet = qEnvironmentVariableIsSet("QT_QPA_PLATFORM"); // set, but empty
    m_chosen = "wayland;xcb";
    qputenv("QT_QPA_PLATFORM", m_chosen);
}

PlatformChoice::~PlatformChoice() { restoreEnvironment(); }

void PlatformChoice::restoreEnvironment() {
    if (m_restored || m_chosen.isEmpty())
        return;
    m_restored = true;
    if (m_wasSet)
        qputenv("QT_QPA_PLATFORM", QByteArray());
    else
        qunsetenv("QT_QPA_PLATFORM");
}

} // namespace aquine
