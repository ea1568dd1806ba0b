// The program's own pictures.
#pragma once

#include <QPixmap>

namespace nodewise {

// The program's picture, 32 x 32: three nodes of a network joined by lines. The about box shows
// it; it is also the icon of the main window.
QPixmap NetworkPicture();

} // namespace nodewise
