#include "gui/input/about_window.h"

#include "core/model/version.h"
#include "gui/style/fonts.h"
#include "gui/style/icons.h"

#include <QLabel>
#include <QPixmap>
#include <QPushButton>

TfrmAbout::TfrmAbout(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Informazioni su questo programmino"));
    setModal(true);
    setFixedSize(352, 180);
    move(331, 233);

    auto* icon = new QLabel(this);
    icon->setPixmap(nodewise::NetworkPicture());
    icon->setGeometry(8, 8, 32, 32);

    auto* title = new QLabel(QStringLiteral("Calcoli di Loadflow--versione ") +
                                 QString::fromUtf8(nodewise::VersionText),
                             this);
    title->setFont(nodewise::SerifFont(16));
    QPalette black = title->palette();
    black.setColor(QPalette::WindowText, Qt::black);
    title->setPalette(black);
    title->setWordWrap(true);
    title->setGeometry(52, 8, 292, 44);

    auto* note =
        new QLabel(QStringLiteral("Ottimizzato per la visualizzazione a 1024 x 768"), this);
    note->setWordWrap(true);
    note->setGeometry(52, 60, 292, 36);

    btnClose = new QPushButton(QStringLiteral("Close"), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    QFont bold = btnClose->font();
    bold.setBold(true);
    btnClose->setFont(bold);
    btnClose->setGeometry(16, 128, 320, 40);
    btnClose->setDefault(true);
    connect(btnClose, &QPushButton::clicked, this, &TfrmAbout::btnCloseClick);
}

void TfrmAbout::btnCloseClick() {
    close();
}
