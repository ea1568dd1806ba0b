// "Guida di Nodewise": the help document read inside the program. Links inside the document
// work; back and forward go through the pages seen; Ctrl+F searches the text; "Apri nel browser"
// hands the document to the desktop and says here when the desktop cannot open it. Object
// names: "Browser", "btnBack", "btnForward", "btnHome", "btnOpenInBrowser", "lblBrowserResult",
// "FindBar", "txtFind", "btnFindNext", "btnFindPrevious", "lblFindResult".
#pragma once

#include <QUrl>
#include <QWidget>

class QLabel;
class QLineEdit;
class QTextBrowser;
class QTextDocument;
class QToolButton;

class TfrmHelp : public QWidget {
    Q_OBJECT

public:
    explicit TfrmHelp(QWidget* parent = nullptr);

    // Shows `document` from its start (or where `document` has a fragment); the history of pages
    // begins again. While the window is open on that document, it keeps its place and history.
    void ShowDocument(const QUrl& document);

    // Opens the search bar with the focus in it / looks for its text after (before) the cursor,
    // starting again from the other end when nothing is left. False when the text is nowhere.
    void StartSearch();
    bool FindNext();
    bool FindPrevious();

    // "Apri nel browser": the document shown, to the desktop's opener. False when it cannot.
    bool OpenInBrowser();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createNavigation();
    void createFindBar();
    bool find(bool backward);

    QTextBrowser* Browser = nullptr;
    QToolButton* btnBack = nullptr;
    QToolButton* btnForward = nullptr;
    QToolButton* btnHome = nullptr;
    QToolButton* btnOpenInBrowser = nullptr;
    QLabel* lblBrowserResult = nullptr;
    QUrl document_;
    QWidget* FindBar = nullptr;
    QLineEdit* txtFind = nullptr;
    QToolButton* btnFindNext = nullptr;
    QToolButton* btnFindPrevious = nullptr;
    QLabel* lblFindResult = nullptr;
};
