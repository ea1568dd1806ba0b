#include "gui/analysis/analysis_frame.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <utility>

namespace nodewise {

AnalysisWindow::AnalysisWindow(QWidget* parent, const QString& name, const QString& title,
                               QSize size)
    : QWidget(parent, Qt::Window) {
    setObjectName(name);
    setWindowTitle(title);
    resize(size);
    column_ = new QVBoxLayout(this);
}

void AnalysisWindow::RunEnded(Method method) {
    if (!isVisible()) {
        runWhileHidden_ = method;
        return;
    }
    Refresh();
    if (cboMethod_ == nullptr) {
        return;
    }
    const int index = cboMethod_->findData(static_cast<int>(method));
    if (index >= 0) {
        cboMethod_->setCurrentIndex(index); // shows it
    }
    RunShown();
}

void AnalysisWindow::showEvent(QShowEvent* event) {
    Refresh();
    if (const std::optional<Method> method = std::exchange(runWhileHidden_, std::nullopt)) {
        RunEnded(*method); // opens on the run made while the window was closed
    }
    QWidget::showEvent(event);
}

QHBoxLayout* AnalysisWindow::AddMethodRow() {
    auto* row = new QHBoxLayout;
    column_->addLayout(row);
    auto* label = new QLabel(QStringLiteral("&Metodo:"), this);
    cboMethod_ = new QComboBox(this);
    cboMethod_->setObjectName(QStringLiteral("cboMethod"));
    cboMethod_->setMinimumWidth(160);
    label->setBuddy(cboMethod_);
    row->addWidget(label);
    row->addWidget(cboMethod_);
    return row;
}

QPushButton* AnalysisWindow::NewButton(const char* name, const QString& text) {
    auto* button = new QPushButton(text, this);
    button->setObjectName(QLatin1String(name));
    return button;
}

void AnalysisWindow::AddButtonRow(std::initializer_list<QPushButton*> buttons) {
    auto* row = new QHBoxLayout;
    for (QPushButton* button : buttons) {
        row->addWidget(button);
    }
    row->addStretch(1);
    btnClose_ = NewButton("btnClose", QStringLiteral("&Chiudi"));
    row->addWidget(btnClose_);
    connect(btnClose_, &QPushButton::clicked, this, &QWidget::close);
    column_->addLayout(row);
}
void AnalysisWindow::AddEmptyLine() {
    lblEmpty_ =
        new QLabel(QStringLiteral("Nessun metodo eseguito dall'ultima acquisizione."), this);
    lblEmpty_->setObjectName(QStringLiteral("lblEmpty"));
    column_->addWidget(lblEmpty_);
}

} // namespace nodewise
