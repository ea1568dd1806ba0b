#include "gui/shell/acquisition_questions.h"

#include <QMessageBox>
#include <QPushButton>

#include "core/input/acquisition.h"
#include "gui/shell/replaceable.h"

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
Replaceable<AcquisitionQuestions> questionsInUse(boxQuestions);

} // namespace

AcquisitionQuestions& Questions() {
    return *questionsInUse;
}

AcquisitionQuestions* SetAcquisitionQuestions(AcquisitionQuestions* questions) {
    return questionsInUse.Set(questions);
}

} // namespace nodewise
