// Shared by the GUI tests: a port that records message boxes instead of showing them, and
// file dialogs that answer from a script.
#pragma once

#include <QString>
#include <deque>
#include <string>
#include <vector>

#include "core/platform/user_port.h"
#include "gui/shell/file_dialogs.h"

namespace nodewise::testing {

struct RecordedMessage {
    std::string text;
    std::string caption;
    MessageIcon icon;
};

// Records every message; status-bar texts still go to the summary window (through the
// desktop port) so that the tests can read them where the user would.
class RecordingPort final : public UserPort {
public:
    explicit RecordingPort(UserPort* statusTarget) : statusTarget_(statusTarget) {}
    void showMessage(std::string_view text, std::string_view caption, MessageIcon icon) override {
        messages.push_back({std::string(text), std::string(caption), icon});
    }
    void setStatusPanel(int panel, std::string_view text) override {
        if (statusTarget_ != nullptr) {
            statusTarget_->setStatusPanel(panel, text);
        }
    }
    std::vector<RecordedMessage> messages;

private:
    UserPort* statusTarget_;
};

// Answers the next dialog with the next scripted reply; an empty file name is a cancel.
class ScriptedDialogs final : public FileDialogs {
public:
    struct Reply {
        QString file;
        int filterIndex = 1;
    };
    struct Request {
        QString title;
        QString filter;
        QString defaultSuffix;
        bool save = false;
    };

    QString getOpenFileName(QWidget*, const QString& title, const QString& filter) override {
        requests.push_back({title, filter, {}, false});
        return next().file;
    }
    QString getSaveFileName(QWidget*, const QString& title, const QString& filter,
                            const QString& defaultSuffix, int* filterIndex) override {
        requests.push_back({title, filter, defaultSuffix, true});
        const Reply reply = next();
        if (filterIndex != nullptr) {
            *filterIndex = reply.filterIndex;
        }
        return reply.file;
    }

    std::deque<Reply> replies;
    std::vector<Request> requests;

private:
    Reply next() {
        if (replies.empty()) {
            return {};
        }
        Reply reply = replies.front();
        replies.pop_front();
        return reply;
    }
};

// The recorder and the scripted dialogs installed by the test main for the whole run.
RecordingPort& Recorder();
ScriptedDialogs& ScriptedFileDialogs();

// Starts a test from the program's start-up state: every secondary window hidden, every cell
// empty, "20" in the iteration box, nothing recorded, no scripted reply pending.
void ResetProgramState();

} // namespace nodewise::testing
