// The help command's side of the help document: the folder it looks from and what it says when
// the document is not there. Where the document is looked for: installed_files.h.
#pragma once

#include <QString>

namespace nodewise {

inline constexpr const char* HelpMissingCaption = "Documentazione";

// The message of a missing help document; it names the path looked for.
QString HelpMissingText(const QString& path);

// The folder of the running program as the help command sees it; tests give another one (an
// empty folder restores the program's own).
QString ProgramFolder();
void SetProgramFolder(const QString& folder);

} // namespace nodewise
