// The drivers of the three methods: run the iteration, then publish the history in the
// method's results window, with progress in the summary window's status bar.
#pragma once

#include "core/results/methods.h"

class TfrmDataOut;

namespace nodewise {

// The results window of a method.
TfrmDataOut* ResultsWindowOf(Method method);

// Runs the method's iteration and publishes the result. An arithmetic fault during the
// iteration propagates: nothing is published and the results window keeps its content.
// `fillList`: also fill the window's list of all iterations (the summary window's check box).
void RunMethod(Method method, bool fillList);
void RunGauss(bool fillList);
void RunNewton(bool fillList);
void RunStott(bool fillList);

// Publishing alone (the steps after the iteration): status texts, copy of entries
// 0..IterationCount of nodes 0..NodeCount-1 into the window, the list when the summary
// window asks for it, caption, position, show.
void PublishResults(Method method, bool fillList);

} // namespace nodewise
