#include "gui/shell/study_command.h"

#include <QFile>
#include <QFileInfo>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "core/input/acquisition.h"
#include "core/interop/file_sections.h"
#include "core/model/network.h"
#include "core/numeric/arithmetic_fault.h"
#include "core/platform/standard_error_port.h"
#include "core/platform/user_port.h"
#include "core/report/study_document.h"
#include "core/results/fault_report.h"
#include "core/results/methods.h"
#include "gui/results/study_pages.h"

namespace nodewise {

namespace {

// The failed inversions of the study's runs ("Impossibile invertire la Matrice."); the
// zero-order message is none, there being no matrix to invert.
class StudyObserver final : public PortObserver {
public:
    explicit StudyObserver(UserPort& port) : PortObserver(port) {}
    void InversionFailed(Inversion outcome) override {
        failedInversions += outcome == Inversion::Failed ? 1 : 0;
        PortObserver::InversionFailed(outcome);
    }
    int failedInversions = 0;
};

std::string Local(const QString& path) {
    const QByteArray bytes = QFile::encodeName(path);
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

int Study(const StartupCommand& command, UserPort& port, StudyObserver& observer) {
    NetworkFile file;
    if (!ReadNetworkFile(Local(command.networkFile), file)) {
        port.showMessage(NetworkLoadErrorText, NetworkFileErrorCaption, MessageIcon::Stop);
        return 1;
    }
    if (file.sectionProblem) {
        port.showMessage(SectionProblemText(*file.sectionProblem), NetworkFileErrorCaption,
                         MessageIcon::Exclamation);
    }
    const Acquisition acquisition = Acquire(command.iterations.toStdString(), file.cells);
    if (acquisition.warning) {
        ShowInputWarning(port, *acquisition.warning);
        return 2;
    }
    const Network& network = acquisition.network;
    RunSet runs;
    std::vector<Method> methods;
    if (command.method.isEmpty()) {
        methods = {Method::Gauss, Method::Newton, Method::Stott};
    } else {
        methods = {command.method == QLatin1String("gauss")    ? Method::Gauss
                   : command.method == QLatin1String("newton") ? Method::Newton
                                                               : Method::Stott};
    }
    for (Method method : methods) {
        if (!AnnounceMethod(port, network, method)) {
            if (!command.method.isEmpty()) {
                return 4;
            }
            continue; // the other methods make the study
        }
        runs.Store(Iterate(method, network, observer));
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
    if (!WriteStudyPdf(BuildStudy(network, file.cells, runs, choices),
                       QFileInfo(command.networkFile).fileName(), command.output, &reason)) {
        port.showDetailedMessage(StudySaveErrorText, StudySaveErrorCaption,
                                 MessageIcon::Exclamation, reason.toStdString());
        return 1;
    }
    return 0;
}

} // namespace

int ExportStudyCommand(const StartupCommand& command) {
    StandardErrorPort port("nodewise");
    StudyObserver observer(port);
    try {
        const int status = Study(command, port, observer);
        // the study is written, but a matrix could not be inverted
        return status == 0 && observer.failedInversions > 0 ? 5 : status;
    } catch (const ArithmeticFault& fault) {
        std::fprintf(stderr, "%s\n", ArithmeticFaultReport(fault).c_str());
        return 3;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "nodewise: %s\n", error.what());
        return 1;
    }
}

} // namespace nodewise
