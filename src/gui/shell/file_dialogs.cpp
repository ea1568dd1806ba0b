#include "gui/shell/file_dialogs.h"

#include <QPageSize>
#include <QPrintPreviewDialog>
#include <QPrinter>

#include "core/platform/atomic_file.h"
#include "core/results/results_export.h"
#include "gui/shell/options_dialog.h"
#include "gui/shell/program_port.h"
#include "gui/shell/replaceable.h"
#include "gui/shell/study_dialog.h"

#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QStringList>

namespace nodewise {

namespace {

// "flow data|*.nwd|HTML|*.html" -> {"flow data (*.nwd)", "HTML (*.html)"}
QStringList NameFilters(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        filters << QStringLiteral("%1 (%2)").arg(parts[i], parts[i + 1]);
    }
    return filters;
}

// "HTML (*.html)" -> "html"
QString SuffixOf(const QString& nameFilter) {
    const qsizetype dot = nameFilter.lastIndexOf(QStringLiteral("*."));
    if (dot < 0) {
        return {};
    }
    QString suffix = nameFilter.mid(dot + 2);
    suffix.chop(suffix.endsWith(QLatin1Char(')')) ? 1 : 0);
    return suffix.contains(QLatin1Char('*')) ? QString() : suffix;
}

// A folder opens as it is; a file opens its folder with its name proposed.
void StartAt(QFileDialog& dialog, const QString& startPath) {
    if (startPath.isEmpty()) {
        return;
    }
    const QFileInfo start(startPath);
    if (start.isDir()) {
        dialog.setDirectory(start.absoluteFilePath());
    } else {
        dialog.setDirectory(start.absolutePath());
        dialog.selectFile(start.fileName());
    }
}

class QtFileDialogs final : public FileDialogs {
public:
    QString getOpenFileName(QWidget* parent, const QString& title, const QString& filter,
                            const QString& startPath) override {
        QFileDialog dialog(parent, title);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::AnyFile); // a missing file is reported by the reader
        dialog.setNameFilters(NameFilters(filter));
        dialog.setOption(QFileDialog::ReadOnly, false);
        StartAt(dialog, startPath);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
            return {};
        }
        // The default extension: a name typed without one that names no file gets the filter's.
        QString file = dialog.selectedFiles().constFirst();
        const QString suffix = SuffixOf(dialog.selectedNameFilter());
        if (!suffix.isEmpty() && QFileInfo(file).suffix().isEmpty() && !QFileInfo::exists(file)) {
            file += QLatin1Char('.') + suffix;
        }
        return file;
    }

    QString getSaveFileName(QWidget* parent, const QString& title, const QString& filter,
                            const QString& defaultSuffix, int* filterIndex,
                            const QString& startPath) override {
        QFileDialog dialog(parent, title);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        const QStringList filters = NameFilters(filter);
        dialog.setNameFilters(filters);
        dialog.setDefaultSuffix(defaultSuffix);
        dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
        if (filterIndex != nullptr && *filterIndex >= 1 && *filterIndex <= filters.size()) {
            dialog.selectNameFilter(filters[*filterIndex - 1]);
        }
        StartAt(dialog, startPath);
        // A name typed without an extension gets the chosen format's, so that an HTML export is
        // not called .csv; the format itself is still decided by the filter index.
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                         [&dialog, defaultSuffix](const QString& nameFilter) {
                             const QString suffix = SuffixOf(nameFilter);
                             dialog.setDefaultSuffix(suffix.isEmpty() ? defaultSuffix : suffix);
                         });
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
            return {};
        }
        if (filterIndex != nullptr) {
            *filterIndex = static_cast<int>(filters.indexOf(dialog.selectedNameFilter())) + 1;
        }
        return dialog.selectedFiles().constFirst();
    }

    bool askYesNo(QWidget* parent, const QString& title, const QString& question) override {
        QMessageBox box(QMessageBox::Question, title, question, QMessageBox::NoButton, parent);
        QPushButton* yes = box.addButton(QStringLiteral("S\u00ec"), QMessageBox::YesRole);
        QPushButton* no = box.addButton(QStringLiteral("No"), QMessageBox::NoRole);
        box.setDefaultButton(no);
        box.setEscapeButton(no);
        box.exec();
        return box.clickedButton() == yes;
    }

    SaveChoice askSaveChanges(QWidget* parent) override {
        QMessageBox box(QMessageBox::Warning, QStringLiteral("Nodewise"),
                        QStringLiteral("Salvare le modifiche alla rete?"), QMessageBox::NoButton,
                        parent);
        QPushButton* save = box.addButton(QStringLiteral("Salva"), QMessageBox::AcceptRole);
        QPushButton* discard =
            box.addButton(QStringLiteral("Non salvare"), QMessageBox::DestructiveRole);
        QPushButton* cancel = box.addButton(QStringLiteral("Annulla"), QMessageBox::RejectRole);
        box.setDefaultButton(cancel);
        box.setEscapeButton(cancel);
        box.exec();
        if (box.clickedButton() == save) {
            return SaveChoice::Save;
        }
        return box.clickedButton() == discard ? SaveChoice::Discard : SaveChoice::Cancel;
    }

    bool askStudyChoices(QWidget* parent, const std::vector<Method>& runs,
                         StudyChoices& choices) override {
        return AskStudyChoices(parent, runs, choices);
    }

    std::optional<CalculationOptions>
    askCalculationOptions(QWidget* parent, const CalculationOptions& current) override {
        return AskCalculationOptions(parent, current);
    }

    void previewPrint(QWidget* parent,
                      const std::function<int(QPagedPaintDevice&)>& paint) override {
        QPrinter printer(QPrinter::HighResolution);
        printer.setPageSize(QPageSize(QPageSize::A4));
        QPrintPreviewDialog preview(&printer, parent);
        preview.setWindowTitle(QStringLiteral("Anteprima di stampa"));
        QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
                         [&paint](QPrinter* target) { static_cast<void>(paint(*target)); });
        preview.exec();
    }
};

QtFileDialogs qtDialogs;
Replaceable<FileDialogs> dialogsInUse(qtDialogs);

QString lastUsedFolder;
QString lastNetworkFile;

} // namespace

FileDialogs& Dialogs() {
    return *dialogsInUse;
}

FileDialogs* SetFileDialogs(FileDialogs* dialogs) {
    return dialogsInUse.Set(dialogs);
}

QString LastUsedFolder() {
    return lastUsedFolder;
}

void RememberUsedFile(const QString& file) {
    if (!file.isEmpty()) {
        lastUsedFolder = QFileInfo(file).absolutePath();
    }
}

QString LastNetworkFile() {
    return lastNetworkFile;
}

void RememberNetworkFile(const QString& file) {
    lastNetworkFile = QFileInfo(file).absoluteFilePath();
}

void ForgetUsedFiles() {
    lastUsedFolder.clear();
    lastNetworkFile.clear();
}

void SaveInTwoKinds(QWidget* parent, const TwoKindSave& save) {
    int filterIndex = 1;
    const QString file = Dialogs().getSaveFileName(parent, save.title, save.filter, save.suffix,
                                                   &filterIndex, LastUsedFolder());
    if (file.isEmpty()) {
        return;
    }
    RememberUsedFile(file);
    if (filterIndex != 1 && filterIndex != 2) {
        Port().showMessage(ExportUnknownFormatText, save.caption, MessageIcon::Exclamation);
        return;
    }
    const bool first = filterIndex == 1;
    const std::string contents = save.contents(first);
    std::string reason;
    if (!WriteFileAtomically(QFile::encodeName(file).toStdString(), contents, &reason)) {
        Port().showDetailedMessage(save.errorText(first), save.caption, MessageIcon::Exclamation,
                                   reason);
    }
}

} // namespace nodewise
