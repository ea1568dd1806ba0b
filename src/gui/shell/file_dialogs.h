// File dialogs behind an interface, so that GUI tests never block on a modal dialog.
#pragma once

#include <QString>

class QWidget;

namespace nodewise {

struct FileDialogs {
    virtual ~FileDialogs() = default;

    // Returns the chosen file, or an empty string when the user cancels. `filter` uses the
    // program's "description|pattern|description|pattern" form.
    virtual QString getOpenFileName(QWidget* parent, const QString& title,
                                    const QString& filter) = 0;

    // As above; `filterIndex` is the 1-based index of the filter entry selected when the
    // dialog opens and, on return, of the one the user chose. `defaultSuffix` is added to a
    // name typed without one. The dialog asks before an existing file is overwritten.
    virtual QString getSaveFileName(QWidget* parent, const QString& title, const QString& filter,
                                    const QString& defaultSuffix, int* filterIndex) = 0;
};

// The dialogs in use: QFileDialog unless a test installed its own. Returns the previous one.
FileDialogs& Dialogs();
FileDialogs* SetFileDialogs(FileDialogs* dialogs);

} // namespace nodewise
