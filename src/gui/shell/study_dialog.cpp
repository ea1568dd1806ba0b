#include "gui/shell/study_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QSpinBox>

#include "core/input/acquisition.h"
#include "core/model/network.h"
#include "gui/shell/run_store.h"

namespace nodewise {

bool AskStudyChoices(QWidget* parent, const std::vector<Method>& runs, StudyChoices& choices) {
    QDialog dialog(parent);
    dialog.setWindowTitle(QStringLiteral("Studio della rete"));
    auto* form = new QFormLayout(&dialog);
    if (runs.empty()) {
        form->addRow(new QLabel(QString::fromUtf8(StudyWithoutRunsText), &dialog));
    }
    auto* method = new QComboBox(&dialog);
    method->setObjectName(QStringLiteral("cmbStudyMethod"));
    for (Method m : runs) {
        method->addItem(QString::fromLatin1(MethodTitle(m)), static_cast<int>(m));
        if (choices.method == m) {
            method->setCurrentIndex(method->count() - 1);
        }
    }
    method->setEnabled(!runs.empty());
    form->addRow(QStringLiteral("Bilancio e schema del metodo:"), method);
    auto* history = new QCheckBox(QStringLiteral("Tutte le iterazioni di ogni metodo"), &dialog);
    history->setObjectName(QStringLiteral("chbStudyHistory"));
    history->setChecked(choices.history);
    history->setEnabled(!runs.empty());
    form->addRow(history);
    auto* stepRow = new QHBoxLayout;
    auto* step = new QCheckBox(QStringLiteral("Passo per passo dell'iterazione"), &dialog);
    step->setObjectName(QStringLiteral("chbStudyStep"));
    step->setChecked(choices.stepIteration.has_value());
    step->setEnabled(!runs.empty());
    auto* iteration = new QSpinBox(&dialog);
    iteration->setObjectName(QStringLiteral("spnStudyStep"));
    iteration->setRange(1, std::max(1, AcquiredNetwork().LastHistoryEntry()));
    iteration->setValue(choices.stepIteration.value_or(1));
    iteration->setEnabled(step->isChecked());
    QObject::connect(step, &QCheckBox::toggled, iteration, &QSpinBox::setEnabled);
    stepRow->addWidget(step);
    stepRow->addWidget(iteration);
    form->addRow(stepRow);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    form->addRow(buttons);
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    if (method->count() > 0) {
        choices.method = static_cast<Method>(method->currentData().toInt());
    }
    choices.history = history->isChecked();
    choices.stepIteration =
        step->isChecked() && !runs.empty() ? std::optional<int>(iteration->value()) : std::nullopt;
    return true;
}

} // namespace nodewise
