// The study of a network to hand in: the network as typed, the summary, every method run, the
// power balance and the drawing of one of them, and optionally one iteration from inside, as
// one HTML text that a paginating renderer lays out on numbered pages. Figures are SVG
// documents kept beside the text, which names each where it stands as
// <img src="figura:NAME" width="W" height="H">, so that the renderer can draw them as vectors.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/analysis/mismatch_trace.h"
#include "core/input/cell_texts.h"
#include "core/interop/file_sections.h"
#include "core/model/calculation_options.h"
#include "core/model/network.h"
#include "core/model/run.h"
#include "core/results/methods.h"
#include "core/results/number_style.h"

namespace nodewise {

struct StudyChoices {
    // The method of the balance, the drawing and the step; none: the method run last.
    std::optional<Method> method;
    bool history = false;             // every iteration of every method run
    std::optional<int> stepIteration; // the step of this iteration of the method, if any
    NumberStyle style{DefaultShownDigits, false, DefaultBasePower};
    double tolerance = DefaultTolerance;
    std::string networkName;               // the file the network came from, if any
    std::optional<TypedLineData> lineData; // the line data typed, if any
    CalculationOptions options;            // the options the runs were made with
};

struct StudyFigure {
    std::string name; // as in "figura:NAME"
    std::string svg;
    double width = 0.0; // points on the page, as the <img> gives them
    double height = 0.0;
};

struct StudyDocument {
    std::string title;
    std::string html;
    std::vector<StudyFigure> figures;
};

// The prefix of a figure's source in the text.
inline constexpr const char* StudyFigureScheme = "figura:";

// The text of "Nessun metodo è stato eseguito" in a study made before any run.
inline constexpr const char* StudyWithoutRunsText =
    "Nessun metodo \xC3\xA8 stato ancora eseguito: lo studio contiene soltanto la rete e il "
    "riepilogo dei dati nodali.";

inline constexpr const char* StudySaveErrorCaption = "Errore";
inline constexpr const char* StudySaveErrorText = "Errore salvataggio dello studio in .pdf";

// The study of a network, the cells it was acquired from and the methods run on it.
StudyDocument BuildStudy(const Network& network, const CellTexts& cells, const RunSet& runs,
                         const StudyChoices& choices);

} // namespace nodewise
