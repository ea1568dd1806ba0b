#include "input/data_entry_window.h"

#include <QDesktopServices>

std::function<bool(const QUrl&)> TfrmDataIn::OpenDocument = [](const QUrl& url) {
    return QDesktopServices::openUrl(url);
};

TfrmDataIn::TfrmDataIn(QWidget* parent) : QMainWindow(parent) {}

nodewise::CellTexts TfrmDataIn::ReadCells() const {
    return {};
}
void TfrmDataIn::WriteCells(const nodewise::CellTexts&) {}
void TfrmDataIn::BtnAcquireClick() {}
void TfrmDataIn::spbtnOpenClick() {}
void TfrmDataIn::spdbtnSaveClick() {}
void TfrmDataIn::spbtnNewClick() {}
void TfrmDataIn::spdbtnExitClick() {}
void TfrmDataIn::spdbtnCutClick() {}
void TfrmDataIn::spdbtnCopyClick() {}
void TfrmDataIn::spdbtnPasteClick() {}
void TfrmDataIn::spdbtnHelpClick() {}
void TfrmDataIn::spdbtnAboutClick() {}
void TfrmDataIn::lblYClick() {}
void TfrmDataIn::lblEClick() {}
void TfrmDataIn::lbldClick() {}
void TfrmDataIn::lblPClick() {}
void TfrmDataIn::lblQClick() {}
void TfrmDataIn::lblYMouseMove() {}
void TfrmDataIn::lblEMouseMove() {}
void TfrmDataIn::lbldMouseMove() {}
void TfrmDataIn::lblPMouseMove() {}
void TfrmDataIn::lblQMouseMove() {}
void TfrmDataIn::FormMouseMove() {}
void TfrmDataIn::CellMouseMove(QLineEdit*) {}
bool TfrmDataIn::eventFilter(QObject* watched, QEvent* event) {
    return QMainWindow::eventFilter(watched, event);
}
void TfrmDataIn::buildWindow() {}
void TfrmDataIn::setHighlighted(QLabel*, bool) {}
