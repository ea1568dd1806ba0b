#include "app/file_dialogs_gui.h"

#include <QFileDialog>
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

class QtFileDialogs final : public FileDialogs {
public:
    QString getOpenFileName(QWidget* parent, const QString& title, const QString& filter) override {
        QFileDialog dialog(parent, title);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::AnyFile); // a missing file is reported by the reader
        dialog.setNameFilters(NameFilters(filter));
        dialog.setOption(QFileDialog::ReadOnly, false);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
            return {};
        }
        return dialog.selectedFiles().constFirst();
    }

    QString getSaveFileName(QWidget* parent, const QString& title, const QString& filter,
                            const QString& defaultSuffix, int* filterIndex) override {
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
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
            return {};
        }
        if (filterIndex != nullptr) {
            *filterIndex = static_cast<int>(filters.indexOf(dialog.selectedNameFilter())) + 1;
        }
        return dialog.selectedFiles().constFirst();
    }
};

QtFileDialogs qtDialogs;
FileDialogs* currentDialogs = &qtDialogs;

} // namespace

FileDialogs& Dialogs() {
    return *currentDialogs;
}

FileDialogs* SetFileDialogs(FileDialogs* dialogs) {
    FileDialogs* previous = currentDialogs;
    currentDialogs = dialogs != nullptr ? dialogs : &qtDialogs;
    return previous;
}

} // namespace nodewise
