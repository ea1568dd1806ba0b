// The user port of the desktop program: application-modal message boxes and the summary
// window's status bar.
#pragma once

#include <QString>
#include <string>

#include "core/platform/user_port.h"

class QLabel;

namespace nodewise {

// The port's ordinary message box, behind an interface so that tests answer it.
struct MessageBoxes {
    virtual ~MessageBoxes() = default;
    // Shows `text` under `caption`, `detail` behind the box's details button when not empty.
    // With `offerSilence` the box carries the check box "Non mostrare più durante questo
    // calcolo", unchecked; the result tells whether it was checked when the box was closed.
    virtual bool show(const QString& text, const QString& caption, MessageIcon icon,
                      const QString& detail, bool offerSilence) = 0;
};

class QtUserPort final : public UserPort {
public:
    // `boxes`: where the ordinary boxes go; nullptr: QMessageBox.
    explicit QtUserPort(MessageBoxes* boxes = nullptr);

    void showMessage(std::string_view text, std::string_view caption, MessageIcon icon) override;
    // A message box whose detailed text (behind its "Show Details..." button) is `detail`.
    void showDetailedMessage(std::string_view text, std::string_view caption, MessageIcon icon,
                             std::string_view detail) override;
    void setStatusPanel(int panel, std::string_view text) override;

    // During a calculation the two failures of the matrix inversion, which can come once per
    // iteration, offer the check box; once it is checked, the rest of that message's repeats in
    // the calculation are counted without a box. The end says, for each message so silenced,
    // how often it came in all: "inversione non riuscita in 999 iterazioni", "matrice di ordine
    // nullo in 2 iterazioni".
    void beginCalculation() override;
    std::string endCalculation() override;

    // The two panels of the summary window's status bar: messages and the counter. Until they
    // are given, progress reports go nowhere.
    void setStatusPanels(QLabel* messages, QLabel* counter);

private:
    struct Repeat {
        const char* text;
        const char* what; // the clause before the count of iterations
        int count;
        bool silenced;
    };

    MessageBoxes* boxes_;
    bool calculating_ = false;
    Repeat repeats_[2];
    QLabel* panels_[2] = {};
};

} // namespace nodewise
