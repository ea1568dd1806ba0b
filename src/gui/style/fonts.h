// The fonts of the windows. The faces of the design ("MS Sans Serif", "Times New Roman") are not
// found on every system; each comes with its nearest relatives.
#pragma once

#include <QFont>

class QWidget;

namespace nodewise {

// The sans-serif / serif face at a height in pixels.
QFont SansFont(int pixels, bool bold = false);
QFont SerifFont(int pixels, bool bold = false);

// Gives a list window (the summary, a results window) its font: its default font at 8 points in
// the sans-serif face, with which the 15-digit numbers fit their columns.
void UseListFont(QWidget* window);

} // namespace nodewise
