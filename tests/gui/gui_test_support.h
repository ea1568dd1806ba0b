// Shared by the GUI tests: the controls of a window by their documented names, the recorder of
// the core tests as the user port, and file dialogs that answer from a script.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QObject>
#include <QString>
#include <deque>
#include <stdexcept>
#include <string>
#include <vector>

#include "../core/test_support.h" // the recorder, shared with the core tests
#include "core/platform/user_port.h"
#include "gui/shell/acquisition_questions.h"
#include "gui/shell/file_dialogs.h"

namespace nodewise::testing {

// The control of `window` with that object name. A window without it fails the test that asks
// (the exception is reported by the test framework).
template <class Control> Control* Child(const QObject* window, const QString& name) {
    auto* control = window->findChild<Control*>(name);
    if (control == nullptr) {
        throw std::logic_error("no control named " + name.toStdString());
    }
    return control;
}

// The object name of an element of one of the data-entry window's tables: "DataCells[3][1]".
inline QString ElementName(const char* table, int i, int j) {
    return QStringLiteral("%1[%2][%3]").arg(QLatin1String(table)).arg(i).arg(j);
}

// Admittance cell [column][row] (column >= row), data cell [column][row] (columns E, d, P, Q),
// node number [group][node] of the data-entry window.
inline QLineEdit* AdmittanceCell(const QObject* window, int column, int row) {
    return Child<QLineEdit>(window, ElementName("AdmittanceCells", column, row));
}
inline QLineEdit* DataCell(const QObject* window, int column, int row) {
    return Child<QLineEdit>(window, ElementName("DataCells", column, row));
}
inline QLabel* NodeLabel(const QObject* window, int group, int node) {
    return Child<QLabel>(window, ElementName("NodeLabels", group, node));
}

// The bytes of a file; empty if it cannot be read.
inline QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Answers the next file dialog with the next scripted reply; an empty file name is a cancel.
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
        QString startPath;
    };

    QString getOpenFileName(QWidget*, const QString& title, const QString& filter,
                            const QString& startPath) override {
        requests.push_back({title, filter, {}, false, startPath});
        return next().file;
    }
    QString getSaveFileName(QWidget*, const QString& title, const QString& filter,
                            const QString& defaultSuffix, int* filterIndex,
                            const QString& startPath) override {
        requests.push_back({title, filter, defaultSuffix, true, startPath});
        const Reply reply = next();
        if (filterIndex != nullptr) {
            *filterIndex = reply.filterIndex;
        }
        return reply.file;
    }

    // A question is answered with the next scripted answer, No when there is none.
    bool askYesNo(QWidget*, const QString& title, const QString& question) override {
        questions.push_back({title, question});
        if (answers.empty()) {
            return false;
        }
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }

    // "Salvare le modifiche alla rete?" is answered with the next scripted choice, Non salvare
    // when there is none; every time it is asked is counted.
    SaveChoice askSaveChanges(QWidget*) override {
        ++saveQuestions;
        if (saveChoices.empty()) {
            return SaveChoice::Discard;
        }
        const SaveChoice choice = saveChoices.front();
        saveChoices.pop_front();
        return choice;
    }

    // The study's choices: the scripted ones, or a cancel; the preview paints its pages into
    // a PDF in memory, whose page count it keeps.
    bool askStudyChoices(QWidget*, const std::vector<Method>& runs,
                         StudyChoices& choices) override {
        studyRuns = runs;
        if (studyChoices.empty()) {
            return false;
        }
        choices.method = studyChoices.front().method;
        choices.history = studyChoices.front().history;
        choices.stepIteration = studyChoices.front().stepIteration;
        studyChoices.pop_front();
        return true;
    }
    void previewPrint(QWidget*, const std::function<int(QPagedPaintDevice&)>& paint) override;

    // "Opzioni di calcolo": the next scripted answer (nothing: a cancel), a cancel when there
    // is none; the options proposed are kept.
    std::optional<CalculationOptions>
    askCalculationOptions(QWidget*, const CalculationOptions& current) override {
        proposedOptions.push_back(current);
        if (optionAnswers.empty()) {
            return std::nullopt;
        }
        const std::optional<CalculationOptions> answer = optionAnswers.front();
        optionAnswers.pop_front();
        return answer;
    }
    std::deque<std::optional<CalculationOptions>> optionAnswers;
    std::vector<CalculationOptions> proposedOptions;

    std::deque<StudyChoices> studyChoices;
    std::vector<Method> studyRuns;
    int previewPages = 0;

    std::deque<Reply> replies;
    std::vector<Request> requests;
    std::deque<bool> answers;
    struct Question {
        QString title;
        QString text;
    };
    std::vector<Question> questions;
    std::deque<SaveChoice> saveChoices;
    int saveQuestions = 0;

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

// Answers acquisition's questions from a script; with none left, "Acquisisci comunque" (true),
// so that acquisition goes on as it did before it asked.
class ScriptedQuestions final : public AcquisitionQuestions {
public:
    bool acquireAnyway(QWidget*, const QString& text) override {
        asked.push_back(text);
        if (answers.empty()) {
            return true;
        }
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::deque<bool> answers;
    std::vector<QString> asked;
};

// The recorder and the scripted dialogs installed by the test main for the whole run. The
// recorder passes the status-bar texts on to the summary window, where the tests read them as
// the user would.
MessageRecorder& Recorder();
ScriptedDialogs& ScriptedFileDialogs();
ScriptedQuestions& ScriptedAcquisitionQuestions(); // installed likewise

// Starts a test from the program's start-up state: every secondary window hidden, every cell
// empty, "20" in the iteration box, the line data tables empty, the network unmodified and of
// no file, nothing recorded, no scripted reply or answer pending, no folder or network file
// remembered by the dialogs.
void ResetProgramState();

} // namespace nodewise::testing
