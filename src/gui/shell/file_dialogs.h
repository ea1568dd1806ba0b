// File dialogs and questions behind an interface, so that GUI tests never block on a modal
// dialog.
#pragma once

#include <QString>
#include <functional>
#include <optional>
#include <vector>

#include "core/model/calculation_options.h"
#include "core/report/study_document.h"

class QPagedPaintDevice;
class QWidget;

namespace nodewise {

// The answers to "Salvare le modifiche alla rete?".
enum class SaveChoice { Save, Discard, Cancel };

struct FileDialogs {
    virtual ~FileDialogs() = default;

    // Returns the chosen file, or an empty string when the user cancels. `filter` uses the
    // program's "description|pattern|description|pattern" form. `startPath` is the folder the
    // dialog opens in, or a file in it whose name the dialog proposes; empty: the working folder.
    virtual QString getOpenFileName(QWidget* parent, const QString& title, const QString& filter,
                                    const QString& startPath) = 0;

    // As above; `filterIndex` is the 1-based index of the filter entry selected when the
    // dialog opens and, on return, of the one the user chose. `defaultSuffix` is added to a
    // name typed without one. The dialog asks before an existing file is overwritten.
    virtual QString getSaveFileName(QWidget* parent, const QString& title, const QString& filter,
                                    const QString& defaultSuffix, int* filterIndex,
                                    const QString& startPath) = 0;

    // Asks `question` with the buttons Sì and No (No the default); true for Sì.
    virtual bool askYesNo(QWidget* parent, const QString& title, const QString& question) = 0;

    // Asks whether the changed network is to be saved first, with the buttons Salva, Non
    // salvare and Annulla (Annulla the default and the Escape key).
    virtual SaveChoice askSaveChanges(QWidget* parent) = 0;

    // The choices of a study (study_dialog.h); false when the user cancels.
    virtual bool askStudyChoices(QWidget* parent, const std::vector<Method>& runs,
                                 StudyChoices& choices) = 0;

    // Edit > "Opzioni di calcolo..." (options_dialog.h) proposing `current`: the options
    // accepted, or nothing when the user cancels.
    virtual std::optional<CalculationOptions>
    askCalculationOptions(QWidget* parent, const CalculationOptions& current) = 0;

    // The print preview of pages that `paint` draws on the printer it is given (returning their
    // number); the user prints from there or closes it.
    virtual void previewPrint(QWidget* parent,
                              const std::function<int(QPagedPaintDevice&)>& paint) = 0;
};

// The dialogs in use: QFileDialog unless a test installed its own. Returns the previous one.
FileDialogs& Dialogs();
FileDialogs* SetFileDialogs(FileDialogs* dialogs);

// What the dialogs remember during one run of the program: the folder of the file last chosen
// in any file dialog (or given on the command line), where the next dialog opens, and the
// network file last opened or saved, whose name "Salva come file .nwd" proposes. Both are empty
// at start-up.
QString LastUsedFolder();
void RememberUsedFile(const QString& file);
QString LastNetworkFile();
void RememberNetworkFile(const QString& file);
void ForgetUsedFiles();

// What a window saves in one of the two kinds of file its filter offers ("HTML|*.html|CSV|*.csv").
struct TwoKindSave {
    QString title;
    QString filter;
    QString suffix;      // proposed with the first kind
    const char* caption; // of the error boxes
    // The file's contents and the text of a failed write; `first`: the filter's first kind.
    std::function<std::string(bool first)> contents;
    std::function<const char*(bool first)> errorText;
};

// Asks the file (in the folder last used), then writes it whole: a kind the filter does not
// offer is told with ExportUnknownFormatText, a failed write with its text and the system's
// reason. Nothing when the dialog is cancelled.
void SaveInTwoKinds(QWidget* parent, const TwoKindSave& save);

} // namespace nodewise
