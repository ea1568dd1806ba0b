#include "input/about_window.h"

TfrmAbout::TfrmAbout(QWidget* parent) : QDialog(parent) {}

void TfrmAbout::btnCloseClick() {
    close();
}
