// The help texts shown when a heading label of the data-entry window is clicked. They are
// laid out for a message box: a title line, an empty line, then paragraphs indented by 25
// blanks, with the value range continued in a column of its own.
#pragma once

#include <string>

namespace nodewise {

inline constexpr const char* NodeQuantityHelpCaption = "Tip";
inline constexpr const char* AdmittanceHelpCaption =
    "INSERIMENTO ELEMENTI MATRICE AMMETTENZE NODALI";

std::string ActivePowerHelpText();      // P
std::string ReactivePowerHelpText();    // Q
std::string VoltageMagnitudeHelpText(); // E
std::string VoltagePhaseHelpText();     // d
std::string AdmittanceHelpText();       // the matrix

} // namespace nodewise
