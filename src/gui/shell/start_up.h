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

// What the command line asks for: a network file to open, or the study of a network written as a
// PDF without a window (--export-study NETWORK --output STUDY.pdf [--method M]
// [--iterations N] [--history]).
struct StartupCommand {
    QString networkFile;
    bool exportStudy = false;
    QString output;
    QString method; // "gauss", "newton", "stott", or empty: all three
    QString iterations = QStringLiteral("20");
    bool history = false;
};

// The command line read. "--help" and "--version" print their text and end the program with
// status 0; an unknown option, a second file, a study without its output or an option of the
// study without --export-study prints a message on standard error and ends it with status 1.
StartupCommand ParseStartupCommand(const QStringList& arguments);

// The network file named on the command line, or an empty string when there is none.
QString StartupNetworkFile(const QStringList& arguments);

// True when the arguments ask for a study (--export-study): the program then needs no display.
bool AsksForStudy(int argc, char** argv);

} // namespace nodewise
