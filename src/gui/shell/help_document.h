// The help command, the same from the tool button, the menu and F1 in any window: the folder it
// looks from, what it says when the document is not there, and how the document is opened
// (inside the program, and from there by the desktop on request). Where the document is looked
// for: installed_files.h.
#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>
#include <functional>

class QCoreApplication;

namespace nodewise {

inline constexpr const char* HelpMissingCaption = "Documentazione";

// The message of a missing help document; it names every path looked in.
QString HelpMissingText(const QStringList& paths);

// The folder of the running program as the help command sees it; tests give another one (an
// empty folder restores the program's own).
QString ProgramFolder();
void SetProgramFolder(const QString& folder);

// Asks the desktop to open a document; false when it cannot (no launcher). Tests replace it to
// see the path without starting a browser, or to play a desktop without one. Used by the help
// window's "Apri nel browser".
extern std::function<bool(const QUrl&)> DocumentOpener;

// The help command: a missing document is reported with the paths looked in; otherwise the
// program shows it in "Guida di Nodewise".
void OpenHelpDocument();

// Makes F1 (the platform's key for the help contents) run the help command in every window of
// the application. Installing twice changes nothing.
void InstallHelpKey(QCoreApplication* application);

} // namespace nodewise
