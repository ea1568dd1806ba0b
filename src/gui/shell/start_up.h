// What the desktop program does before its first window: Qt's own texts in Italian, and the
// command line.
#pragma once

#include <QString>
#include <QStringList>

class QTranslator;

namespace nodewise {

// Loads Qt's Italian translation (qtbase_it, from Qt's translations folder) into the
// application, whatever the user's locale: the whole interface is Italian, so the texts of Qt's
// own dialogs and buttons are too. Returns the translator (owned by the application), or nullptr
// when the translation is not installed: Qt's texts then stay English.
QTranslator* InstallQtItalianTexts();

// The network file named on the command line, or an empty string when there is none. "--help"
// and "--version" print their text and end the program with status 0; an unknown option or a
// second file prints a message on standard error and ends it with status 1.
QString StartupNetworkFile(const QStringList& arguments);

} // namespace nodewise
