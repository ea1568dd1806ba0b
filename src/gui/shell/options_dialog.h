// Edit > "Opzioni di calcolo...": the stop at a tolerance, the acceleration factor of
// Gauss-Seidel and the reactive limits of the nodes, all off by default.
#pragma once

#include <QDialog>
#include <array>
#include <optional>

#include "core/model/calculation_options.h"

class QCheckBox;
class QLabel;
class QLineEdit;

namespace nodewise {

// The dialog on its own, for the FileDialogs interface to show and for tests to fill in. Its
// controls: chbStopTolerance, txtStopTolerance, txtAcceleration, txtQmin[i] and txtQmax[i]
// (i = 0..6, node i + 1), lblOptionsProblem. Numbers take a decimal comma or a point; a limit
// left blank is no limit.
class OptionsDialog final : public QDialog {
    Q_OBJECT

public:
    OptionsDialog(QWidget* parent, const CalculationOptions& current);

    // The options as typed; nothing, with the problem shown in the dialog and the control that
    // holds it focused, when they cannot be used.
    std::optional<CalculationOptions> TypedOptions();

    // OK: closes the dialog only when the typed options can be used.
    void accept() override;

private:
    // Shows `problem` and focuses `where`; returns nothing.
    std::nullopt_t Refuse(const QString& problem, QLineEdit* where);

    QCheckBox* stop_ = nullptr;
    QLineEdit* tolerance_ = nullptr;
    QLineEdit* acceleration_ = nullptr;
    std::array<QLineEdit*, MaxNodes> qmin_{};
    std::array<QLineEdit*, MaxNodes> qmax_{};
    QLabel* problem_ = nullptr;
};

// Shows the dialog modally with `current`; the options accepted, or nothing when the user
// cancels.
std::optional<CalculationOptions> AskCalculationOptions(QWidget* parent,
                                                        const CalculationOptions& current);

} // namespace nodewise
