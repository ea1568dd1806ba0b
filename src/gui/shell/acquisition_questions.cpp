#include "gui/shell/acquisition_questions.h"

#include <QMessageBox>
#include <QPushButton>

#include "core/input/acquisition.h"

namespace nodewise {

namespace {

class BoxQuestions final : public AcquisitionQuestions {
public:
    bool acquireAnyway(QWidget* parent, const QString& text) override {
        QMessageBox box(QMessageBox::Warning, QString::fromUtf8(InputWarningCaption), text,
                        QMessageBox::NoButton, parent);
        box.setWindowModality(Qt::ApplicationModal);
        box.setTextFormat(Qt::PlainText); // cell text that looks like markup is shown as typed
        QPushButton* correct = box.addButton(QStringLiteral("Correggi"), QMessageBox::RejectRole);
        QPushButton* anyway =
            box.addButton(QStringLiteral("Acquisisci comunque"), QMessageBox::AcceptRole);
        box.setDefaultButton(correct);
        box.setEscapeButton(correct);
        box.exec();
        return box.clickedButton() == anyway;
    }
};

BoxQuestions boxQuestions;
AcquisitionQuestions* currentQuestions = &boxQuestions;

} // namespace

AcquisitionQuestions& Questions() {
    return *currentQuestions;
}

AcquisitionQuestions* SetAcquisitionQuestions(AcquisitionQuestions* questions) {
    AcquisitionQuestions* previous = currentQuestions;
    currentQuestions = questions != nullptr ? questions : &boxQuestions;
    return previous;
}

} // namespace nodewise
