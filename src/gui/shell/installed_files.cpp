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

QStringList HelpDocumentCandidates(const QString& executableFolder) {
    const QDir beside(executableFolder);
    return {beside.filePath(HelpDocument),
            QDir::cleanPath(
                beside.filePath(QStringLiteral(NODEWISE_DATA_FROM_BIN "/") + HelpDocument))};
}

QString HelpDocumentPath(const QString& executableFolder) {
    const QStringList candidates = HelpDocumentCandidates(executableFolder);
    for (const QString& candidate : candidates) {
        if (QFileInfo::exists(candidate)) {
            return candidate;
        }
    }
    return candidates.front();
}

} // namespace nodewise
