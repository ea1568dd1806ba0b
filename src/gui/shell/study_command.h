// nodewise --export-study: the study of a network written as a PDF, offscreen, no window shown.
#pragma once

#include "gui/shell/start_up.h"

namespace nodewise {

// Reads and acquires the network file as "Apri" then "Acquisisci dati" do, runs the method
// named (or each of the three the network admits), writes the study and returns the exit
// status of nodewise-cli report: 0 done; 1 a file that cannot be read or written; 2 the
// acquisition refused; 3 an arithmetic fault; 4 the method named refused. Every message goes
// to standard error, caption first; 5 when the study is written but a matrix could not be
// inverted ("Impossibile invertire la Matrice.").
int ExportStudyCommand(const StartupCommand& command);

} // namespace nodewise
