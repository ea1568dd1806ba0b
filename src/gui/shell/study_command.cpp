#include "gui/shell/study_command.h"

#include <QFile>
#include <QFileInfo>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "core/input/acquisition.h"
#include "core/interop/file_sections.h"
#include "core/model/workspace.h"
#include "core/numeric/arithmetic_fault.h"
#include "core/platform/user_port.h"
#include "core/report/study_document.h"
#include "core/results/fault_report.h"
#include "core/results/methods.h"
#include "core/solvers/matrix_inversion.h"
#include "gui/results/study_pages.h"

namespace nodewise {

namespace {

// A message box becomes a line on standard error: caption, then the text on one line.
class StandardErrorLines final : public UserPort {
public:
    void showMessage(std::string_view text, std::string_view caption, MessageIcon) override {
        std::string line(caption);
        line += !caption.empty() && caption.back() == ':' ? " " : ": ";
        for (char c : text) {
            const char ch = c == '\n' || c == '\r' ? ' ' : c;
            if (ch != ' ' || (!line.empty() && line.back() != ' ')) {
                line.push_back(ch);
            }
        }
        while (!line.empty() && line.back() == ' ') {
            line.pop_back();
        }
        std::fprintf(stderr, "%s\n", line.c_str());
        failedInversions += text == InversionFailedText ? 1 : 0;
    }
    int failedInversions = 0;
    void showDetailedMessage(std::string_view text, std::string_view caption, MessageIcon icon,
                             std::string_view detail) override {
        showMessage(text, caption, icon);
        if (!detail.empty()) {
            std::fprintf(stderr, "nodewise: %.*s\n", static_cast<int>(detail.size()),
                         detail.data());
        }
    }
    void setStatusPanel(int, std::string_view) override {}
};

// Puts the previous port back at the end of the command.
class PortScope {
public:
    explicit PortScope(UserPort* port) : previous_(SetUserPort(port)) {}
    ~PortScope() { SetUserPort(previous_); }
    PortScope(const PortScope&) = delete;
    PortScope& operator=(const PortScope&) = delete;

private:
    UserPort* previous_;
};

std::string Local(const QString& path) {
    const QByteArray bytes = QFile::encodeName(path);
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

int Study(const StartupCommand& command) {
    NetworkFile file;
    if (!ReadNetworkFile(Local(command.networkFile), file)) {
        Port().showMessage(NetworkLoadErrorText, NetworkFileErrorCaption, MessageIcon::Stop);
        return 1;
    }
    if (file.sectionProblem) {
        Port().showMessage(SectionProblemText(*file.sectionProblem), NetworkFileErrorCaption,
                           MessageIcon::Exclamation);
    }
    if (const std::optional<int> warning = Acquire(command.iterations.toStdString(), file.cells)) {
        ShowInputWarning(*warning);
        return 2;
    }
    std::vector<Method> methods;
    if (command.method.isEmpty()) {
        methods = {Method::Gauss, Method::Newton, Method::Stott};
    } else {
        methods = {command.method == QLatin1String("gauss")    ? Method::Gauss
                   : command.method == QLatin1String("newton") ? Method::Newton
                                                               : Method::Stott};
    }
    for (Method method : methods) {
        if (!AnnounceMethod(method)) {
            if (!command.method.isEmpty()) {
                return 4;
            }
            continue; // the other methods make the study
        }
        Iterate(method);
    }

    StudyChoices choices;
    if (!command.method.isEmpty()) {
        choices.method = methods.front();
    }
    choices.history = command.history;
    choices.networkName = QFileInfo(command.networkFile).fileName().toStdString();
    if (!IsEmpty(file.sections)) {
        choices.lineData = file.sections.lineData;
    }
    QString reason;
    if (!WriteStudyPdf(BuildStudy(choices), QFileInfo(command.networkFile).fileName(),
                       command.output, &reason)) {
        Port().showDetailedMessage(StudySaveErrorText, StudySaveErrorCaption,
                                   MessageIcon::Exclamation, reason.toStdString());
        return 1;
    }
    return 0;
}

} // namespace

int ExportStudyCommand(const StartupCommand& command) {
    StandardErrorLines port;
    const PortScope scope(&port);
    const SolverMatrices matrices;
    try {
        const int status = Study(command);
        // the study is written, but a matrix could not be inverted
        return status == 0 && port.failedInversions > 0 ? 5 : status;
    } catch (const ArithmeticFault& fault) {
        std::fprintf(stderr, "%s\n", ArithmeticFaultReport(fault).c_str());
        return 3;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "nodewise: %s\n", error.what());
        return 1;
    }
}

} // namespace nodewise
