#include "gui/analysis/method_choice.h"
#include "gui/shell/run_store.h"

#include <QComboBox>
#include <QSignalBlocker>

namespace nodewise {

void RefillMethodChoice(QComboBox* box, const QVariant& preferred) {
    const QSignalBlocker blocker(box);
    box->clear();
    for (int m = 0; m < MethodCount; ++m) {
        const auto method = static_cast<Method>(m);
        if (HasRun(method)) {
            box->addItem(QString::fromLatin1(MethodTitle(method)), m);
        }
    }
    const int index = box->findData(preferred);
    box->setCurrentIndex(index >= 0 ? index : 0);
}

} // namespace nodewise
