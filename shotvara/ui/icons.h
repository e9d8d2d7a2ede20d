// The toolbar's own pictures, drawn in code so they stay sharp at any scale.
#pragma once

#include <QIcon>

namespace shotvara {

QIcon scissorsIcon();
QIcon floppyIcon();

} // namespace shotvara
