// The program's own pictures.
#pragma once

#include <QIcon>
#include <QPixmap>

namespace nodewise {

// The program's picture, 32 x 32: three nodes of a network joined by lines, drawn from the
// program's SVG icon (resources/nodewise.svg, built in). The about box shows it.
QPixmap NetworkPicture();

// The same picture at the sizes a window manager or task bar asks for: the main window's icon.
QIcon NetworkIcon();

} // namespace nodewise
