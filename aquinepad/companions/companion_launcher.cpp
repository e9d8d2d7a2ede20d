// Detached process starts of the companions.
#include "aquinepad/companions/companion_launcher.h"

#include <QProcess>
#include <QString>

namespace aquinepad {

bool startCompanion(const std::filesystem::path& programDir, std::string_view name) {
    const auto program = programDir / std::filesystem::path(std::string(name));
    return QProcess::startDetached(QString::fromStdString(program.string()), {});
}

} // namespace aquinepad
