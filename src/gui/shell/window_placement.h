// Where the program's own secondary windows appear: wholly on the screen that holds the main
// window, whatever screen the window system would have chosen or the window was left on.
#pragma once

class QWidget;

namespace nodewise {

// Moves `window` (and shrinks it if it is larger than the screen's available area) so that its
// frame lies wholly within the available area of the screen holding `anchor`'s centre. A
// window already wholly there stays where it is. Nothing happens without an anchor.
void PlaceOnScreenOf(QWidget* window, const QWidget* anchor);

} // namespace nodewise
