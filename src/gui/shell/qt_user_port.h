// The user port of the desktop program: application-modal message boxes and the summary
// window's status bar.
#pragma once

#include "core/platform/user_port.h"

class QLabel;

namespace nodewise {

class QtUserPort final : public UserPort {
public:
    void showMessage(std::string_view text, std::string_view caption, MessageIcon icon) override;
    // A message box whose detailed text (behind its "Show Details..." button) is `detail`.
    void showDetailedMessage(std::string_view text, std::string_view caption, MessageIcon icon,
                             std::string_view detail) override;
    void setStatusPanel(int panel, std::string_view text) override;

    // The two panels of the summary window's status bar: messages and the counter. Until they
    // are given, progress reports go nowhere.
    void setStatusPanels(QLabel* messages, QLabel* counter);

private:
    QLabel* panels_[2] = {};
};

} // namespace nodewise
