// The only way the core reaches a person: message boxes and the summary window's status bar.
// The desktop program passes a port backed by QMessageBox and the status bar, the batch front
// end one that writes to standard error, the tests a recorder. The core holds no port of its
// own: whatever may show something takes the port to show it on.
#pragma once

#include <string>
#include <string_view>

#include "core/model/run.h"

namespace nodewise {

enum class MessageIcon { Exclamation, Stop, Information };

struct UserPort {
    virtual ~UserPort() = default;
    virtual void showMessage(std::string_view text, std::string_view caption, MessageIcon icon) = 0;
    // The same message with what lies behind it (for a failed save "PATH: the system's
    // reason"), shown where the port can without changing the message itself: the desktop's
    // box as its detailed text, nodewise-cli on a line of its own. A port that does not
    // override it shows the message alone.
    virtual void showDetailedMessage(std::string_view text, std::string_view caption,
                                     MessageIcon icon, std::string_view detail) {
        static_cast<void>(detail);
        showMessage(text, caption, icon);
    }
    virtual void setStatusPanel(int panel, std::string_view text) = 0;

    // One run of a method begins / ends. Meanwhile a port may let the person silence the
    // repeats of a message; the end returns what is then still to be said about them, as a
    // clause for the status bar (empty: nothing was silenced). A port that does not override
    // these shows every message.
    virtual void beginCalculation() {}
    virtual std::string endCalculation() { return {}; }
};

// A calculation on the installed port for the lifetime of the object; End() ends it early and
// returns the port's clause (later calls: empty).
class CalculationScope {
public:
    CalculationScope();
    ~CalculationScope();
    CalculationScope(const CalculationScope&) = delete;
    CalculationScope& operator=(const CalculationScope&) = delete;
    std::string End();

private:
    UserPort* port_;
};

// A port that shows nothing.
struct SilentPort final : UserPort {
    void showMessage(std::string_view, std::string_view, MessageIcon) override {}
    void setStatusPanel(int, std::string_view) override {}
};

// A run told on a port: the iteration in panel 1, a failed inversion as its message box.
class PortObserver : public SolverObserver {
public:
    explicit PortObserver(UserPort& port) : port_(port) {}
    void Progress(int iteration) override { port_.setStatusPanel(1, std::to_string(iteration)); }
    void InversionFailed(Inversion outcome) override {
        port_.showMessage(InversionMessage(outcome), InversionErrorCaption, MessageIcon::Stop);
    }

private:
    UserPort& port_;
};

} // namespace nodewise
