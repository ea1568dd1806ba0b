// Helpers shared by the core tests.
#pragma once

#include <string>
#include <vector>

#include "core/input/cell_texts.h"
#include "core/platform/user_port.h"

namespace nodewise::testing {

struct Message {
    std::string text;
    std::string caption;
    MessageIcon icon;
    std::string detail; // empty for a message shown without one
};

// A user port that records what reaches it; the status texts also go on to `statusTarget` when
// one is given (the GUI tests pass the summary window's).
class MessageRecorder final : public UserPort {
public:
    explicit MessageRecorder(UserPort* statusTarget = nullptr) : statusTarget_(statusTarget) {}
    ~MessageRecorder() override = default;
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;

    void showMessage(std::string_view text, std::string_view caption, MessageIcon icon) override {
        messages.push_back({std::string(text), std::string(caption), icon, {}});
    }
    void showDetailedMessage(std::string_view text, std::string_view caption, MessageIcon icon,
                             std::string_view detail) override {
        messages.push_back({std::string(text), std::string(caption), icon, std::string(detail)});
    }
    void setStatusPanel(int panel, std::string_view text) override {
        if (panel == 0 || panel == 1) {
            panels[panel] = std::string(text);
            ++panelUpdates[panel];
        }
        if (statusTarget_ != nullptr) {
            statusTarget_->setStatusPanel(panel, text);
        }
    }

    std::vector<Message> messages;
    std::string panels[2];
    int panelUpdates[2] = {0, 0};

private:
    UserPort* statusTarget_;
};

// The worked two-node network: one branch of series admittance 1 - j5 pu, node 1 Ed (E 1,
// d 0), node 2 PQ (P -0.5, Q -0.2).
inline CellTexts TwoNodeNetwork() {
    CellTexts cells;
    cells.Admittance[0][0] = "1-5j";
    cells.Admittance[1][0] = "-1+5j";
    cells.Admittance[1][1] = "1 - 5 j";
    cells.Data[0][0] = "1";
    cells.Data[1][0] = "0";
    cells.Data[2][1] = "-0,5";
    cells.Data[3][1] = "-0,2";
    return cells;
}

} // namespace nodewise::testing
