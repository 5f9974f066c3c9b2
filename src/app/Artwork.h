// The program's icon and the About dialog's picture, drawn rather than shipped.
#pragma once

#include <QIcon>
#include <QPixmap>

namespace corvale {

/// A heartbeat on ECG paper, `width` x `height` pixels.
QPixmap ProgramPicture(int width, int height);
QIcon ProgramIcon();

}  // namespace corvale
