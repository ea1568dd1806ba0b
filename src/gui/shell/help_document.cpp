#include "gui/shell/help_document.h"

#include <QCoreApplication>
#include <QDir>

namespace nodewise {

namespace {

QString programFolderOverride;

} // namespace

QString HelpMissingText(const QStringList& paths) {
    QString text = paths.size() == 1 ? QStringLiteral("Documentazione non trovata.\nFile cercato:")
                                     : QStringLiteral("Documentazione non trovata.\nFile cercati:");
    for (const QString& path : paths) {
        text += QLatin1Char('\n') + QDir::toNativeSeparators(path);
    }
    return text;
}

QString ProgramFolder() {
    return programFolderOverride.isEmpty() ? QCoreApplication::applicationDirPath()
                                           : programFolderOverride;
}

void SetProgramFolder(const QString& folder) {
    programFolderOverride = folder;
}

} // namespace nodewise
