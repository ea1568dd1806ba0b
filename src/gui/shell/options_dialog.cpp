#include "gui/shell/options_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

#include "core/interop/entry_texts.h"
#include "core/model/calculation_options.h"

namespace nodewise {

namespace {

// A number as a cell shows it: plain decimal notation, the fewest digits that read back as the
// same number, with a decimal comma.
QString NumberText(double value) {
    std::string text;
    if (const std::optional<std::string> plain = FormatDataEntry(value)) {
        text = *plain;
    } else {
        char buffer[32];
        const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
        text.assign(buffer, error == std::errc() ? end : buffer);
    }
    return QString::fromStdString(text).replace(QLatin1Char('.'), QLatin1Char(','));
}

QString BoundText(const std::optional<double>& bound) {
    return bound ? NumberText(*bound) : QString();
}

// A finite number typed with a decimal comma or a point, an exponent allowed ("1e-8"), blanks
// around it ignored; nothing for any other text.
std::optional<double> ReadNumber(const QString& typed) {
    std::string text = typed.trimmed().toStdString();
    if (!text.empty() && text.front() == '+') {
        text.erase(0, 1);
    }
    for (char& c : text) {
        c = c == ',' ? '.' : c;
    }
    double value = 0.0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

QLineEdit* NumberBox(const QString& text, const QString& name, QWidget* parent) {
    auto* box = new QLineEdit(text, parent);
    box->setObjectName(name);
    box->setMaximumWidth(110);
    return box;
}

} // namespace

OptionsDialog::OptionsDialog(QWidget* parent, const CalculationOptions& current) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Opzioni di calcolo"));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    layout->addLayout(form);

    stop_ = new QCheckBox(QStringLiteral("Arresta a tolleranza"), this);
    stop_->setObjectName(QStringLiteral("chbStopTolerance"));
    stop_->setChecked(current.stopTolerance.has_value());
    tolerance_ = NumberBox(NumberText(current.stopTolerance.value_or(1e-4)),
                           QStringLiteral("txtStopTolerance"), this);
    tolerance_->setEnabled(stop_->isChecked());
    connect(stop_, &QCheckBox::toggled, tolerance_, &QLineEdit::setEnabled);
    form->addRow(stop_, tolerance_);
    acceleration_ =
        NumberBox(NumberText(current.acceleration), QStringLiteral("txtAcceleration"), this);
    form->addRow(QStringLiteral("Fattore di accelerazione (Gauss-Seidel)"), acceleration_);

    auto* limits = new QGroupBox(QStringLiteral("Limiti di potenza reattiva"), this);
    auto* grid = new QGridLayout(limits);
    grid->addWidget(new QLabel(QStringLiteral("Nodo"), limits), 0, 0);
    grid->addWidget(new QLabel(QStringLiteral("Qmin (pu)"), limits), 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Qmax (pu)"), limits), 0, 2);
    for (int node = 0; node < MaxNodes; ++node) {
        const ReactiveLimits& bounds = current.reactiveLimits[node];
        grid->addWidget(new QLabel(QString::number(node + 1), limits), node + 1, 0);
        qmin_[node] =
            NumberBox(BoundText(bounds.qmin), QStringLiteral("txtQmin[%1]").arg(node), limits);
        qmax_[node] =
            NumberBox(BoundText(bounds.qmax), QStringLiteral("txtQmax[%1]").arg(node), limits);
        grid->addWidget(qmin_[node], node + 1, 1);
        grid->addWidget(qmax_[node], node + 1, 2);
    }
    auto* blank = new QLabel(QStringLiteral("Vuoto: nessun limite."), limits);
    grid->addWidget(blank, MaxNodes + 1, 0, 1, 3);
    layout->addWidget(limits);

    problem_ = new QLabel(this);
    problem_->setObjectName(QStringLiteral("lblOptionsProblem"));
    problem_->setStyleSheet(QStringLiteral("color: #b00000"));
    problem_->setWordWrap(true);
    layout->addWidget(problem_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &OptionsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &OptionsDialog::reject);
    layout->addWidget(buttons);
}

std::nullopt_t OptionsDialog::Refuse(const QString& problem, QLineEdit* where) {
    problem_->setText(problem);
    where->setFocus();
    where->selectAll();
    return std::nullopt;
}

std::optional<CalculationOptions> OptionsDialog::TypedOptions() {
    CalculationOptions options;
    if (stop_->isChecked()) {
        options.stopTolerance = ReadNumber(tolerance_->text());
        if (!options.stopTolerance || !IsValidTolerance(*options.stopTolerance)) {
            return Refuse(QString::fromUtf8(ToleranceRuleText), tolerance_);
        }
    }
    options.acceleration =
        ReadNumber(acceleration_->text()).value_or(std::numeric_limits<double>::quiet_NaN());
    if (!IsValidAcceleration(options.acceleration)) {
        CalculationOptions alone;
        alone.acceleration = options.acceleration;
        return Refuse(QString::fromUtf8(OptionsProblem(alone).value_or("").c_str()), acceleration_);
    }
    for (int node = 0; node < MaxNodes; ++node) {
        ReactiveLimits& limits = options.reactiveLimits[node];
        const struct {
            QLineEdit* box;
            std::optional<double>* bound;
            const char* name;
        } bounds[] = {{qmin_[node], &limits.qmin, "Qmin"}, {qmax_[node], &limits.qmax, "Qmax"}};
        for (const auto& b : bounds) {
            if (b.box->text().trimmed().isEmpty()) {
                continue;
            }
            *b.bound = ReadNumber(b.box->text());
            if (!*b.bound) {
                return Refuse(QStringLiteral("Limiti di potenza reattiva del nodo %1: %2 deve "
                                             "essere un numero, o vuoto per nessun limite.")
                                  .arg(node + 1)
                                  .arg(QLatin1String(b.name)),
                              b.box);
            }
        }
        if (!AreUsableLimits(limits)) {
            return Refuse(QString::fromUtf8(UnusableLimitsText(node, limits).c_str()), qmin_[node]);
        }
    }
    problem_->clear();
    return options;
}

void OptionsDialog::accept() {
    if (TypedOptions()) {
        QDialog::accept();
    }
}

std::optional<CalculationOptions> AskCalculationOptions(QWidget* parent,
                                                        const CalculationOptions& current) {
    OptionsDialog dialog(parent, current);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.TypedOptions();
}

} // namespace nodewise
