#include "gui/input/matpower_items.h"

#include <QAction>
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QString>
#include <ctime>
#include <limits>
#include <optional>
#include <string>

#include "core/input/acquisition.h"
#include "core/input/network_file.h"
#include "core/interop/matpower_export.h"
#include "core/interop/matpower_import.h"
#include "core/platform/atomic_file.h"
#include "gui/shell/error_guard.h"
#include "gui/shell/file_dialogs.h"
#include "gui/shell/program_port.h"
#include "gui/shell/program_windows.h"
#include "gui/shell/run_store.h"

namespace nodewise {

namespace {

const QString CaseFileFilter = QStringLiteral("caso MATPOWER|*.m");
constexpr const char* ImportNoteCaption = "Importa caso MATPOWER";

std::string LocalPath(const QString& path) {
    const QByteArray data = QFile::encodeName(path);
    return std::string(data.constData(), static_cast<std::size_t>(data.size()));
}

void Refuse(const std::string& text) {
    Port().showMessage(text, MatpowerErrorCaption, MessageIcon::Stop);
}

void ImportCase(QWidget* window, const GridAccess& grid) {
    if (grid.mayReplace && !grid.mayReplace()) {
        return;
    }
    const QString file = Dialogs().getOpenFileName(
        window, QStringLiteral("Importa un caso MATPOWER"), CaseFileFilter, LastUsedFolder());
    if (file.isEmpty()) {
        return;
    }
    RememberUsedFile(file);
    Guarded([&file, &grid] {
        std::string text;
        if (!ReadFileHead(LocalPath(file), text, std::numeric_limits<std::size_t>::max(),
                          MaxCaseFileBytes)) {
            Port().showMessage(NetworkLoadErrorText, NetworkFileErrorCaption, MessageIcon::Stop);
            return;
        }
        ImportedCase imported;
        if (const std::optional<std::string> refusal = ImportMatpowerCase(text, imported)) {
            Refuse(*refusal);
            return;
        }
        grid.write(imported.cells);
        if (grid.setOptions) {
            CalculationOptions options;
            options.reactiveLimits = imported.reactiveLimits;
            grid.setOptions(options);
        }
        HideResultForms();
        // The line data window shows the case's branches and shunts (read again: the import
        // has accepted the case, so this cannot fail).
        MatpowerCase matpowerCase;
        LineData lines;
        if (!ReadMatpowerCase(text, matpowerCase) && !CaseToLineData(matpowerCase, lines)) {
            ShowImportedLineData(lines);
        }
        // "Salva come file .nwd" proposes the case's name, never a network file opened before.
        const QFileInfo caseFile(file);
        RememberNetworkFile(
            caseFile.dir().filePath(caseFile.completeBaseName() + QStringLiteral(".nwd")));
        if (grid.loaded) {
            grid.loaded(file);
        }
        if (!imported.notes.empty()) {
            std::string notes;
            for (const std::string& note : imported.notes) {
                notes += (notes.empty() ? "" : "\n") + note;
            }
            Port().showMessage(notes, ImportNoteCaption, MessageIcon::Information);
        }
    });
}

void ExportCase(QWidget* window, const GridAccess& grid) {
    int filterIndex = 1;
    const QString file = Dialogs().getSaveFileName(
        window, QStringLiteral("Esporta un caso MATPOWER"), CaseFileFilter, QStringLiteral("m"),
        &filterIndex, LastUsedFolder());
    if (file.isEmpty()) {
        return;
    }
    RememberUsedFile(file);
    Guarded([&file, &grid] {
        // The acquired network, as the summary and the results show it. Only when there is
        // none are the cells acquired for it (any valid iteration count will do; the case has
        // none), which replaces what the other windows showed.
        if (!NetworkAcquired()) {
            HideResultForms();
            if (const std::optional<int> warning = ProgramRuns().Acquire("1", grid.read())) {
                ShowInputWarning(Port(), *warning);
                return;
            }
        }
        const std::string path = LocalPath(file);
        const CaseOrigin origin{CaseNameFromPath(path), "Nodewise", std::time(nullptr)};
        std::string contents;
        NodalNetwork network = NodalNetworkOf(AcquiredNetwork());
        if (grid.options) {
            network.reactiveLimits = grid.options().reactiveLimits;
        }
        if (const std::optional<std::string> refusal =
                FormatMatpowerCase(network, origin, contents)) {
            Refuse(*refusal);
            return;
        }
        std::string reason;
        if (!WriteFileAtomically(path, contents, &reason)) {
            Port().showDetailedMessage(NetworkSaveErrorText, NetworkFileErrorCaption,
                                       MessageIcon::Stop, reason);
        }
    });
}

} // namespace

void AddMatpowerItems(QWidget* window, QMenu* fileMenu, const GridAccess& grid) {
    QAction* importItem = fileMenu->addAction(QStringLiteral("&Importa caso MATPOWER..."));
    importItem->setObjectName(QStringLiteral("FileImportMatpowerItem"));
    importItem->setStatusTip(QStringLiteral("Importa una rete da un caso MATPOWER (.m)"));
    QAction* exportItem = fileMenu->addAction(QStringLiteral("Es&porta caso MATPOWER..."));
    exportItem->setObjectName(QStringLiteral("FileExportMatpowerItem"));
    exportItem->setStatusTip(QStringLiteral("Esporta la rete come caso MATPOWER (.m)"));
    QObject::connect(importItem, &QAction::triggered, window,
                     [window, grid] { ImportCase(window, grid); });
    QObject::connect(exportItem, &QAction::triggered, window,
                     [window, grid] { ExportCase(window, grid); });
}

} // namespace nodewise
