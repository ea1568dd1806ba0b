// The user port of the desktop program: application-modal message boxes and the summary
// window's status bar.
#pragma once

#include "model/user_port.h"

namespace nodewise {

class QtUserPort final : public UserPort {
public:
    void showMessage(std::string_view text, std::string_view caption, MessageIcon icon) override;
    void setStatusPanel(int panel, std::string_view text) override;
};

} // namespace nodewise
