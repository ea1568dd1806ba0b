#include "gui/shell/installed_files.h"

#include <QDir>
#include <QFileInfo>

namespace nodewise {

namespace {

// The installed data folder seen from the installed executable's folder (set by the build from
// the install layout, "../share/nodewise" by default).
#ifndef NODEWISE_DATA_FROM_BIN
#define NODEWISE_DATA_FROM_BIN "../share/nodewise"
#endif

const QString HelpDocument = QStringLiteral("HELP/HELP.HTM");

} // namespace

QString HelpDocumentPath(const QString& executableFolder) {
    const QDir beside(executableFolder);
    const QString inBuildFolder = beside.filePath(HelpDocument);
    if (QFileInfo::exists(inBuildFolder)) {
        return inBuildFolder;
    }
    const QString installed =
        QDir::cleanPath(beside.filePath(QStringLiteral(NODEWISE_DATA_FROM_BIN "/") + HelpDocument));
    return QFileInfo::exists(installed) ? installed : inBuildFolder;
}

} // namespace nodewise
