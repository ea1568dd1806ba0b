// The user port of the programs that run without windows: every message box becomes one line on
// standard error, caption first, the text on one line.
#pragma once

#include <string>
#include <string_view>

#include "core/platform/user_port.h"

namespace nodewise {

class StandardErrorPort final : public UserPort {
public:
    // `program` names the program on the line that gives a reason: "nodewise-cli: PATH: No
    // such file or directory".
    explicit StandardErrorPort(std::string program) : program_(std::move(program)) {}

    void showMessage(std::string_view text, std::string_view caption, MessageIcon icon) override;
    // The reason follows the message on a line of its own, in the manner of other tools.
    void showDetailedMessage(std::string_view text, std::string_view caption, MessageIcon icon,
                             std::string_view detail) override;
    void setStatusPanel(int, std::string_view) override {}

private:
    std::string program_;
};

// "Caption: text" with the line breaks of the text as spaces and runs of spaces as one.
std::string StandardErrorLine(std::string_view text, std::string_view caption);

} // namespace nodewise
