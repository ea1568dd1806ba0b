// The one main() of the GUI tests: the whole program in one process, offscreen, with message
// boxes recorded and file dialogs answered from a script.
#include <QBuffer>
#include <QCheckBox>
#include <QLineEdit>
#include <QLocale>
#include <QPdfWriter>
#include <gtest/gtest.h>

#include "gui/input/about_window.h"
#include "gui/input/data_entry_window.h"
#include "gui/input/line_data_window.h"
#include "gui/results/summary_window.h"
#include "gui/shell/error_guard.h"
#include "gui/shell/program_port.h"
#include "gui/shell/program_windows.h"
#include "gui/shell/qt_user_port.h"
#include "gui_test_support.h"

namespace nodewise::testing {

namespace {

QtUserPort statusPort;
MessageRecorder* recorder = nullptr; // set by main() for the whole run
ScriptedDialogs scriptedDialogs;
ScriptedQuestions scriptedQuestions;
QLocale startLocale;

// The offscreen platform warns about every window it cannot raise or resize to a hint; those
// lines would bury the test output.
QtMessageHandler defaultHandler = nullptr;
void QuietPlatformWarnings(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type == QtWarningMsg && text.startsWith(QStringLiteral("This plugin does not support"))) {
        return;
    }
    defaultHandler(type, context, text);
}

} // namespace

MessageRecorder& Recorder() {
    return *recorder;
}
ScriptedDialogs& ScriptedFileDialogs() {
    return scriptedDialogs;
}
ScriptedQuestions& ScriptedAcquisitionQuestions() {
    return scriptedQuestions;
}

void ScriptedDialogs::previewPrint(QWidget*, const std::function<int(QPagedPaintDevice&)>& paint) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    previewPages = paint(writer);
}

void ResetProgramState() {
    HideResultForms();
    if (frmAbout != nullptr) {
        frmAbout->close();
    }
    QLocale::setDefault(startLocale);
    recorder->messages.clear();
    scriptedDialogs.replies.clear();
    scriptedDialogs.requests.clear();
    scriptedDialogs.answers.clear();
    scriptedDialogs.questions.clear();
    scriptedDialogs.saveChoices.clear();
    scriptedDialogs.saveQuestions = 0;
    scriptedQuestions.answers.clear();
    scriptedQuestions.asked.clear();
    scriptedDialogs.studyChoices.clear();
    scriptedDialogs.studyRuns.clear();
    scriptedDialogs.previewPages = 0;
    scriptedDialogs.optionAnswers.clear();
    scriptedDialogs.proposedOptions.clear();
    ForgetUsedFiles();
    if (frmDataIn != nullptr) {
        for (QLineEdit* box : frmDataIn->findChildren<QLineEdit*>()) {
            box->clear(); // the 56 cells and the iteration box
        }
        Child<QLineEdit>(frmDataIn, "txtnumit")->setText(QStringLiteral("20"));
    }
    if (frmDataOk != nullptr) {
        Child<QCheckBox>(frmDataOk, "chbViewResult")->setChecked(true);
    }
    if (frmLineData != nullptr) {
        frmLineData->close();
        frmLineData->ShowLineData({}); // empty tables, per unit
    }
    if (frmDataIn != nullptr) {
        frmDataIn->SetOptions(CalculationOptions{});
        frmDataIn->SetNetworkFile(QString());
    }
}

} // namespace nodewise::testing

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    ::testing::InitGoogleTest(&argc, argv);
    nodewise::testing::defaultHandler =
        qInstallMessageHandler(nodewise::testing::QuietPlatformWarnings);
    nodewise::NodewiseApplication app(argc, argv);
    nodewise::testing::startLocale = QLocale();

    nodewise::CreateProgramWindows();
    nodewise::ConnectStatusPanels(nodewise::testing::statusPort);
    int result = 0;
    {
        nodewise::testing::MessageRecorder recorder(&nodewise::testing::statusPort);
        nodewise::testing::recorder = &recorder;
        nodewise::UserPort* previousPort = nodewise::SetUserPort(&recorder);
        nodewise::FileDialogs* previousDialogs =
            nodewise::SetFileDialogs(&nodewise::testing::ScriptedFileDialogs());
        nodewise::AcquisitionQuestions* previousQuestions =
            nodewise::SetAcquisitionQuestions(&nodewise::testing::ScriptedAcquisitionQuestions());
        nodewise::frmDataIn->show();

        result = RUN_ALL_TESTS();

        nodewise::SetFileDialogs(previousDialogs);
        nodewise::SetAcquisitionQuestions(previousQuestions);
        nodewise::testing::recorder = nullptr;
        nodewise::SetUserPort(previousPort);
    } // the recorder is uninstalled before the windows go
    nodewise::DestroyProgramWindows();
    return result;
}
