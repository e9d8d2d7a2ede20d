// The caption of a window exactly as the program sets it. Qt shows the program's name where a window's
// caption is empty; an empty caption set here shows nothing in the title bar and the task list.
#pragma once

class QString;
class QWidget;

namespace aquinepad {

void setCaption(QWidget& window, const QString& caption);

} // namespace aquinepad
