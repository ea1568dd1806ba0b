// The choices of a study before it is printed or exported: the method whose balance, drawing
// and step it shows, every iteration or not, the step of one iteration or none.
#pragma once

#include <vector>

#include "core/report/study_document.h"

class QWidget;

namespace nodewise {

// Asks the choices with a modal dialog ("Studio della rete"); `runs` are the methods run, in
// order; `choices` holds the proposal and, on OK, the answer. False when the user cancels.
bool AskStudyChoices(QWidget* parent, const std::vector<Method>& runs, StudyChoices& choices);

} // namespace nodewise
