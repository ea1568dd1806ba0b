#include "app/qt_user_port_gui.h"

#include <QApplication>
#include <QMessageBox>
#include <QString>

#include "app/app_windows.h"

namespace nodewise {

namespace {

QString FromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

void QtUserPort::showMessage(std::string_view text, std::string_view caption, MessageIcon icon) {
    QMessageBox::Icon boxIcon = QMessageBox::Information;
    switch (icon) {
    case MessageIcon::Exclamation:
        boxIcon = QMessageBox::Warning;
        break;
    case MessageIcon::Stop:
        boxIcon = QMessageBox::Critical;
        break;
    case MessageIcon::Information:
        boxIcon = QMessageBox::Information;
        break;
    }
    QMessageBox box(boxIcon, FromUtf8(caption), FromUtf8(text), QMessageBox::Ok,
                    QApplication::activeWindow());
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

void QtUserPort::setStatusPanel(int panel, std::string_view text) {
    SetSummaryStatusPanel(panel, text.data(), static_cast<int>(text.size()));
}

} // namespace nodewise
