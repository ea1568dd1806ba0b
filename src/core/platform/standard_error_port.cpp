#include "core/platform/standard_error_port.h"

#include <iostream>

namespace nodewise {

std::string StandardErrorLine(std::string_view text, std::string_view caption) {
    std::string line(caption);
    line += (!caption.empty() && caption.back() == ':') ? " " : ": ";
    std::string body;
    for (char c : text) {
        const char ch = (c == '\n' || c == '\r') ? ' ' : c;
        if (ch == ' ' && (body.empty() || body.back() == ' ')) {
            continue;
        }
        body.push_back(ch);
    }
    while (!body.empty() && body.back() == ' ') {
        body.pop_back();
    }
    return line + body;
}

void StandardErrorPort::showMessage(std::string_view text, std::string_view caption, MessageIcon) {
    std::cerr << StandardErrorLine(text, caption) << '\n';
}

void StandardErrorPort::showDetailedMessage(std::string_view text, std::string_view caption,
                                            MessageIcon icon, std::string_view detail) {
    showMessage(text, caption, icon);
    if (!detail.empty()) {
        std::cerr << program_ << ": " << detail << '\n';
    }
}

} // namespace nodewise
