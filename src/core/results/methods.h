// The three solution methods side by side: what each driver shows and where its history lives.
#pragma once

#include <optional>

#include "core/model/workspace.h"

namespace nodewise {

enum class Method { Gauss = 0, Newton = 1, Stott = 2 };

struct MethodInfo {
    const char* name;         // "gauss", "newton", "stott"
    const char* runningText;  // panel 0 before the run
    const char* finishedText; // panel 0 after the run
    const char* fillingText;  // panel 0 while the list is filled
    const char* readyText;    // panel 0 at the end
    const char* caption;      // results window caption, also the export title
    const char* stoppedText;  // panel 0 when an arithmetic fault has stopped the run
    int windowLeft;           // results window position: top 332, this left
    HistoryRows* EHistory;
    HistoryRows* dHistory;
    void (*iterate)();
};

inline constexpr int ResultsWindowTop = 332;

const MethodInfo& Info(Method method);

// Runs the method's iteration on the workspace and records, once it has ended, that the
// method's history holds a run of the network acquired (RunEnded). An arithmetic fault
// propagates, carrying the method's display name, and leaves the method recorded as not run.
void Iterate(Method method);

// Whether the method's run has ended since the last acquisition.
bool HasRun(Method method);

// The method whose run ended last, if it still counts as run (HasRun); none otherwise.
std::optional<Method> LastRunMethod();

// The method's display name: "Gauss-Seidel", "Newton-Raphson", "Stott-Alsac".
const char* MethodTitle(Method method);

// What a method button does with the acquired network. Gauss-Seidel always runs. Newton-Raphson
// and Stott-Alsac need square blocks (MethodConditionHolds): otherwise warning 8, after which
// Newton-Raphson runs all the same and Stott-Alsac refuses.
enum class MethodDecision { Run, WarnThenRun, Refuse };
MethodDecision DecideMethod(Method method);

// Shows warning 8 when the decision calls for it; true when the method is to run.
bool AnnounceMethod(Method method);

} // namespace nodewise
