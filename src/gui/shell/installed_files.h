// Where the program finds the files it ships with, relative to its own executable: beside it in
// the build folder, under the data folder once installed (bin/../share/nodewise).
#pragma once

#include <QCoreApplication>
#include <QString>
#include <QStringList>

namespace nodewise {

// The help document: HELP/HELP.HTM beside the executable when it is there (the build folder),
// otherwise HELP/HELP.HTM in the installed data folder. When neither exists, the first of the
// two, so that whoever reports the missing document can name where it was looked for.
QString HelpDocumentPath(const QString& executableFolder = QCoreApplication::applicationDirPath());

// The places HelpDocumentPath looks in, in its order.
QStringList HelpDocumentCandidates(const QString& executableFolder);

} // namespace nodewise
