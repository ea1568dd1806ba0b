#include "gui/shell/help_document.h"

#include <QCoreApplication>
#include <QDir>

namespace nodewise {

namespace {

QString programFolderOverride;

} // namespace

QString HelpMissingText(const QString& path) {
    return QStringLiteral("Documentazione non trovata.\nFile cercato:\n") +
           QDir::toNativeSeparators(path);
}

QString ProgramFolder() {
    return programFolderOverride.isEmpty() ? QCoreApplication::applicationDirPath()
                                           : programFolderOverride;
}

void SetProgramFolder(const QString& folder) {
    programFolderOverride = folder;
}

} // namespace nodewise
