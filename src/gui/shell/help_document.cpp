#include "gui/shell/help_document.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QKeySequence>
#include <QObject>
#include <QVariant>

#include "gui/shell/error_guard.h"
#include "gui/shell/installed_files.h"
#include "gui/shell/program_port.h"
#include "gui/shell/program_windows.h"

namespace nodewise {

std::function<bool(const QUrl&)> DocumentOpener = [](const QUrl& url) {
    return QDesktopServices::openUrl(url);
};

namespace {

QString programFolderOverride;

constexpr const char* HelpKeyInstalled = "nodewiseHelpKey";

// Catches the help key before the widget with the focus sees it, in whatever window.
class HelpKeyFilter final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress && watched->isWidgetType()) {
            const auto* key = static_cast<QKeyEvent*>(event);
            if (key->matches(QKeySequence::HelpContents)) {
                if (!key->isAutoRepeat()) { // a key held down asks once
                    OpenHelpDocument();
                }
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

QString HelpMissingText(const QStringList& paths) {
    QString text = paths.size() == 1 ? QStringLiteral("Documentazione non trovata.\nFile cercato:")
                                     : QStringLiteral("Documentazione non trovata.\nFile cercati:");
    for (const QString& path : paths) {
        text += QLatin1Char('\n') + QDir::toNativeSeparators(path);
    }
    return text;
}

QString ProgramFolder() {
    return programFolderOverride.isEmpty() ? QCoreApplication::applicationDirPath()
                                           : programFolderOverride;
}

void SetProgramFolder(const QString& folder) {
    programFolderOverride = folder;
}

void OpenHelpDocument() {
    const QString path = HelpDocumentPath(ProgramFolder());
    if (!QFileInfo::exists(path)) {
        Guarded([] {
            const QStringList searched = HelpDocumentCandidates(ProgramFolder());
            Port().showMessage(HelpMissingText(searched).toUtf8().toStdString(), HelpMissingCaption,
                               MessageIcon::Information);
        });
        return;
    }
    // Inside the program: a desktop may say it has opened a document and show nothing (a
    // launcher without a browser). The window hands it to the desktop on request.
    ShowHelpWindow(QUrl::fromLocalFile(path));
}

void InstallHelpKey(QCoreApplication* application) {
    if (application == nullptr || application->property(HelpKeyInstalled).toBool()) {
        return;
    }
    application->installEventFilter(new HelpKeyFilter(application));
    application->setProperty(HelpKeyInstalled, true);
}

} // namespace nodewise
