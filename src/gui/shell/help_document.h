// The help command's side of the help document: the folder it looks from and what it says when
// the document is not there. Where the document is looked for: installed_files.h.
#pragma once

#include <QString>
#include <QStringList>

namespace nodewise {

inline constexpr const char* HelpMissingCaption = "Documentazione";

// The message of a missing help document; it names every path looked in.
QString HelpMissingText(const QStringList& paths);

// The folder of the running program as the help command sees it; tests give another one (an
// empty folder restores the program's own).
QString ProgramFolder();
void SetProgramFolder(const QString& folder);

} // namespace nodewise
