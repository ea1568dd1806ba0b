// The File menu items that carry a network in and out as a MATPOWER case.
#pragma once

#include <QString>
#include <functional>

#include "core/input/cell_texts.h"
#include "core/model/calculation_options.h"

class QMenu;
class QWidget;

namespace nodewise {

// How the items reach the 56 cells of the grid they belong to.
struct GridAccess {
    std::function<CellTexts()> read;
    std::function<void(const CellTexts&)> write;
    // Before an import: whether the cells may be replaced (a changed network may be saved
    // first); after it: the cells hold what `file` holds.
    std::function<bool()> mayReplace;
    std::function<void(const QString& file)> loaded;
    // The program's calculation options: the export writes their reactive limits, an import
    // replaces them with the case's.
    std::function<CalculationOptions()> options;
    std::function<void(const CalculationOptions&)> setOptions;
};

// Appends to `fileMenu` "Importa caso MATPOWER..." (object name FileImportMatpowerItem), which
// fills the cells from a case as "Apri ..." does from a network file (the options from the
// reactive limits of its generators, the buses whose limits are left out told in a box), and
// "Esporta caso MATPOWER..." (FileExportMatpowerItem), which acquires the cells as "Acquisisci
// dati" does, without opening the summary, and writes the network as a case. `window` parents
// the dialogs.
void AddMatpowerItems(QWidget* window, QMenu* fileMenu, const GridAccess& grid);

} // namespace nodewise
