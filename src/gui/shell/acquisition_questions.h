// The question acquisition asks when the cells hold text it does not read or the network leaves
// nodes cut off from the slack node, behind an interface so that GUI tests never block on it.
#pragma once

#include <QString>

class QWidget;

namespace nodewise {

struct AcquisitionQuestions {
    virtual ~AcquisitionQuestions() = default;

    // Shows `text` under the input warnings' caption with the buttons "Correggi" (the default,
    // also Escape and closing the box) and "Acquisisci comunque"; true for the latter.
    virtual bool acquireAnyway(QWidget* parent, const QString& text) = 0;
};

// The questions in use: a QMessageBox unless a test installed its own. Returns the previous one.
AcquisitionQuestions& Questions();
AcquisitionQuestions* SetAcquisitionQuestions(AcquisitionQuestions* questions);

} // namespace nodewise
