// The only way the core reaches a person: message boxes and the summary window's status bar.
// The desktop program installs a port backed by QMessageBox and the status bar, the batch
// front end one that writes to standard error, the tests a recorder.
#pragma once

#include <string_view>

namespace nodewise {

enum class MessageIcon { Exclamation, Stop, Information };

struct UserPort {
    virtual ~UserPort() = default;
    virtual void showMessage(std::string_view text, std::string_view caption, MessageIcon icon) = 0;
    virtual void setStatusPanel(int panel, std::string_view text) = 0;
};

// Installs the port (nullptr restores the silent default) and returns the previous one.
UserPort* SetUserPort(UserPort* port);
UserPort& Port();

} // namespace nodewise
