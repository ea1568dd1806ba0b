#include "gui/shell/qt_user_port.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFont>
#include <QFontDatabase>
#include <QGridLayout>
#include <QLabel>
#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <QStyle>

#include "core/input/help_texts.h"
#include "core/solvers/matrix_inversion.h"

namespace nodewise {

namespace {

QString FromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The help texts line up their paragraphs and columns with blanks and are longer than a message
// box lets a text be before it wraps it: they get a box of their own, unwrapped, in a
// fixed-pitch font, with the information icon and one OK button.
void ShowHelpBox(const QString& text, const QString& caption) {
    QDialog box(QApplication::activeWindow());
    box.setWindowTitle(caption);
    box.setWindowModality(Qt::ApplicationModal);
    auto* layout = new QGridLayout(&box);
    auto* icon = new QLabel(&box);
    const int extent = box.style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, &box);
    icon->setPixmap(
        box.style()->standardIcon(QStyle::SP_MessageBoxInformation, nullptr, &box).pixmap(extent));
    layout->addWidget(icon, 0, 0, Qt::AlignTop);
    auto* label = new QLabel(text, &box);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(false);
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixed.setPixelSize(11); // the longest text stays within a 1024 x 768 screen
    label->setFont(fixed);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(label, 0, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &box);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &box, &QDialog::accept);
    layout->addWidget(buttons, 1, 0, 1, 2);
    box.exec();
}

// The column help texts are the only messages laid out with blanks.
bool IsHelpCaption(std::string_view caption) {
    return caption == AdmittanceHelpCaption || caption == NodeQuantityHelpCaption;
}

QMessageBox::Icon BoxIcon(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Exclamation:
        return QMessageBox::Warning;
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Stop:
        break;
    }
    return QMessageBox::Critical;
}

class QtMessageBoxes final : public MessageBoxes {
public:
    bool show(const QString& text, const QString& caption, MessageIcon icon, const QString& detail,
              bool offerSilence) override {
        QMessageBox box(BoxIcon(icon), caption, text, QMessageBox::Ok,
                        QApplication::activeWindow());
        box.setWindowModality(Qt::ApplicationModal);
        if (!detail.isEmpty()) {
            box.setDetailedText(detail);
        }
        auto* silence =
            offerSilence
                ? new QCheckBox(QStringLiteral("Non mostrare pi\u00f9 durante questo calcolo"))
                : nullptr;
        box.setCheckBox(silence); // owned by the box
        // A short text makes a narrow box, and a window manager then cuts its title: keep the
        // box wide enough for the whole caption beside the title bar's buttons.
        if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
            const int titleWidth = box.fontMetrics().horizontalAdvance(box.windowTitle()) + 160;
            grid->addItem(new QSpacerItem(titleWidth, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                          grid->rowCount(), 0, 1, grid->columnCount());
        }
        box.exec();
        return silence != nullptr && silence->isChecked();
    }
};

QtMessageBoxes qtBoxes;

} // namespace

QtUserPort::QtUserPort(MessageBoxes* boxes)
    : boxes_(boxes != nullptr ? boxes : &qtBoxes), repeats_{{InversionFailedText,
                                                             "inversione non riuscita", 0, false},
                                                            {InversionZeroOrderText,
                                                             "matrice di ordine nullo", 0, false}} {
}

void QtUserPort::beginCalculation() {
    calculating_ = true;
    for (Repeat& repeat : repeats_) {
        repeat.count = 0;
        repeat.silenced = false;
    }
}

std::string QtUserPort::endCalculation() {
    calculating_ = false;
    QStringList clauses;
    for (const Repeat& repeat : repeats_) {
        if (repeat.silenced) {
            clauses << QStringLiteral("%1 in %2 %3")
                           .arg(QString::fromUtf8(repeat.what))
                           .arg(repeat.count)
                           .arg(repeat.count == 1 ? QStringLiteral("iterazione")
                                                  : QStringLiteral("iterazioni"));
        }
    }
    return clauses.join(QStringLiteral(", ")).toUtf8().toStdString();
}

void QtUserPort::showMessage(std::string_view text, std::string_view caption, MessageIcon icon) {
    if (icon == MessageIcon::Information && IsHelpCaption(caption)) {
        ShowHelpBox(FromUtf8(text), FromUtf8(caption));
        return;
    }
    showDetailedMessage(text, caption, icon, {});
}

void QtUserPort::showDetailedMessage(std::string_view text, std::string_view caption,
                                     MessageIcon icon, std::string_view detail) {
    Repeat* repeat = nullptr;
    if (calculating_ && caption == InversionErrorCaption) {
        for (Repeat& candidate : repeats_) {
            if (text == candidate.text) {
                repeat = &candidate;
            }
        }
    }
    if (repeat != nullptr) {
        ++repeat->count;
        if (repeat->silenced) {
            return;
        }
    }
    const bool silence =
        boxes_->show(FromUtf8(text), FromUtf8(caption), icon, FromUtf8(detail), repeat != nullptr);
    if (repeat != nullptr && silence) {
        repeat->silenced = true;
    }
}

void QtUserPort::setStatusPanels(QLabel* messages, QLabel* counter) {
    panels_[0] = messages;
    panels_[1] = counter;
}

void QtUserPort::setStatusPanel(int panel, std::string_view text) {
    if (panel < 0 || panel > 1 || panels_[panel] == nullptr) {
        return;
    }
    QLabel* label = panels_[panel];
    label->setText(FromUtf8(text));
    // A run does not return to the event loop until it is over: paint the message at once so
    // that it is seen while the run goes on. The counter changes on every iteration and is
    // left to the next ordinary repaint.
    if (panel == 0 && label->isVisible()) {
        label->repaint();
    }
}

} // namespace nodewise
