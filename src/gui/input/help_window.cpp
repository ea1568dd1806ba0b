#include "gui/input/help_window.h"

#include <QAction>
#include <QDesktopServices>
#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QShortcut>
#include <QStyle>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>
#include <QToolButton>
#include <QVBoxLayout>

#include "gui/shell/help_document.h"

namespace {

QToolButton* NavigationButton(QWidget* parent, const char* name, const QString& text,
                              const QIcon& icon, const QString& tip) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setText(text);
    button->setIcon(icon);
    button->setToolTip(tip);
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    button->setAutoRaise(true);
    return button;
}

} // namespace

TfrmHelp::TfrmHelp(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("frmHelp"));
    setWindowTitle(QStringLiteral("Guida di Nodewise"));
    resize(860, 700);

    Browser = new QTextBrowser(this);
    Browser->setObjectName(QStringLiteral("Browser"));
    // Links to other places open outside, when the desktop can; the document's own links here.
    Browser->setOpenLinks(true);
    Browser->setOpenExternalLinks(true);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(4);
    createNavigation();
    auto* navigation = new QHBoxLayout;
    navigation->addWidget(btnBack);
    navigation->addWidget(btnForward);
    navigation->addWidget(btnHome);
    navigation->addStretch(1);
    navigation->addWidget(lblBrowserResult);
    navigation->addWidget(btnOpenInBrowser);
    layout->addLayout(navigation);
    layout->addWidget(Browser, 1);
    createFindBar();
    layout->addWidget(FindBar);
}

void TfrmHelp::createNavigation() {
    QStyle* style = this->style();
    btnBack = NavigationButton(this, "btnBack", QStringLiteral("Indietro"),
                               style->standardIcon(QStyle::SP_ArrowBack),
                               QStringLiteral("Pagina precedente (Alt+Sinistra)"));
    btnForward = NavigationButton(this, "btnForward", QStringLiteral("Avanti"),
                                  style->standardIcon(QStyle::SP_ArrowForward),
                                  QStringLiteral("Pagina successiva (Alt+Destra)"));
    btnHome = NavigationButton(this, "btnHome", QStringLiteral("Indice"),
                               style->standardIcon(QStyle::SP_DirHomeIcon),
                               QStringLiteral("Inizio della guida"));
    btnOpenInBrowser =
        NavigationButton(this, "btnOpenInBrowser", QStringLiteral("Apri nel browser"),
                         style->standardIcon(QStyle::SP_DesktopIcon),
                         QStringLiteral("Apre la guida nel browser del desktop"));
    lblBrowserResult = new QLabel(this);
    lblBrowserResult->setObjectName(QStringLiteral("lblBrowserResult"));
    connect(btnOpenInBrowser, &QToolButton::clicked, this, &TfrmHelp::OpenInBrowser);
    btnBack->setEnabled(false);
    btnForward->setEnabled(false);
    connect(btnBack, &QToolButton::clicked, Browser, &QTextBrowser::backward);
    connect(btnForward, &QToolButton::clicked, Browser, &QTextBrowser::forward);
    connect(btnHome, &QToolButton::clicked, Browser, &QTextBrowser::home);
    connect(Browser, &QTextBrowser::backwardAvailable, btnBack, &QToolButton::setEnabled);
    connect(Browser, &QTextBrowser::forwardAvailable, btnForward, &QToolButton::setEnabled);
    auto shortcut = [this](const QKeySequence& keys, void (QTextBrowser::*slot)()) {
        connect(new QShortcut(keys, this), &QShortcut::activated, Browser, slot);
    };
    shortcut(QKeySequence::Back, &QTextBrowser::backward);
    shortcut(QKeySequence::Forward, &QTextBrowser::forward);
}

void TfrmHelp::createFindBar() {
    FindBar = new QWidget(this);
    FindBar->setObjectName(QStringLiteral("FindBar"));
    auto* row = new QHBoxLayout(FindBar);
    row->setContentsMargins(0, 0, 0, 0);
    auto* label = new QLabel(QStringLiteral("&Cerca:"), FindBar);
    txtFind = new QLineEdit(FindBar);
    txtFind->setObjectName(QStringLiteral("txtFind"));
    txtFind->setClearButtonEnabled(true);
    txtFind->installEventFilter(this);
    label->setBuddy(txtFind);
    btnFindPrevious = NavigationButton(FindBar, "btnFindPrevious", QStringLiteral("Precedente"),
                                       style()->standardIcon(QStyle::SP_ArrowUp),
                                       QStringLiteral("Occorrenza precedente (Maiusc+Invio)"));
    btnFindNext = NavigationButton(FindBar, "btnFindNext", QStringLiteral("Successiva"),
                                   style()->standardIcon(QStyle::SP_ArrowDown),
                                   QStringLiteral("Occorrenza successiva (Invio)"));
    lblFindResult = new QLabel(FindBar);
    lblFindResult->setObjectName(QStringLiteral("lblFindResult"));
    row->addWidget(label);
    row->addWidget(txtFind, 1);
    row->addWidget(btnFindPrevious);
    row->addWidget(btnFindNext);
    row->addWidget(lblFindResult);
    FindBar->hide();

    connect(btnFindNext, &QToolButton::clicked, this, &TfrmHelp::FindNext);
    connect(btnFindPrevious, &QToolButton::clicked, this, &TfrmHelp::FindPrevious);
    connect(txtFind, &QLineEdit::textEdited, this, [this] {
        // Typing searches from where the last match began, so the match grows in place.
        QTextCursor cursor = Browser->textCursor();
        cursor.setPosition(cursor.selectionStart());
        Browser->setTextCursor(cursor);
        FindNext();
    });
    connect(new QShortcut(QKeySequence::Find, this), &QShortcut::activated, this,
            &TfrmHelp::StartSearch);
    connect(new QShortcut(QKeySequence::FindNext, this), &QShortcut::activated, this,
            &TfrmHelp::FindNext);
    connect(new QShortcut(QKeySequence::FindPrevious, this), &QShortcut::activated, this,
            &TfrmHelp::FindPrevious);
}

void TfrmHelp::ShowDocument(const QUrl& document) {
    QUrl page = document;
    page.setFragment(QString());
    document_ = page;
    const bool samePage = Browser->source().adjusted(QUrl::RemoveFragment) == page;
    if (samePage && isVisible()) {
        // Asked again while it is being read (F1 in this window): the reader keeps the place.
        if (document.hasFragment()) {
            Browser->setSource(document);
        }
        return;
    }
    lblBrowserResult->clear();
    Browser->setSource(document); // the same page again: back to its start, or to the fragment
    Browser->clearHistory();
    QTextCursor start = Browser->textCursor();
    start.movePosition(QTextCursor::Start); // a search begins at the top
    Browser->setTextCursor(start);
    if (document.hasFragment()) {
        Browser->scrollToAnchor(document.fragment());
    } else {
        Browser->verticalScrollBar()->setValue(0);
    }
}

bool TfrmHelp::OpenInBrowser() {
    const bool opened = nodewise::DocumentOpener(document_);
    lblBrowserResult->setText(opened ? QString()
                                     : QStringLiteral("Il desktop non ha potuto aprire la guida."));
    return opened;
}

void TfrmHelp::StartSearch() {
    FindBar->show();
    txtFind->setFocus(Qt::ShortcutFocusReason);
    txtFind->selectAll();
}

bool TfrmHelp::FindNext() {
    return find(false);
}

bool TfrmHelp::FindPrevious() {
    return find(true);
}

bool TfrmHelp::find(bool backward) {
    const QString text = txtFind->text();
    lblFindResult->clear();
    if (text.isEmpty()) {
        return false;
    }
    const QTextDocument::FindFlags flags =
        backward ? QTextDocument::FindBackward : QTextDocument::FindFlags();
    if (Browser->find(text, flags)) {
        return true;
    }
    // Nothing left in this direction: once more from the other end.
    QTextCursor cursor = Browser->textCursor();
    cursor.movePosition(backward ? QTextCursor::End : QTextCursor::Start);
    Browser->setTextCursor(cursor);
    if (Browser->find(text, flags)) {
        lblFindResult->setText(backward ? QStringLiteral("Ricominciato dalla fine")
                                        : QStringLiteral("Ricominciato dall'inizio"));
        return true;
    }
    lblFindResult->setText(QStringLiteral("Testo non trovato"));
    return false;
}

// In the search box: Enter finds the next match, Shift+Enter the previous one, Esc closes the bar.
bool TfrmHelp::eventFilter(QObject* watched, QEvent* event) {
    if (watched == txtFind && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            if (key->modifiers() & Qt::ShiftModifier) {
                FindPrevious();
            } else {
                FindNext();
            }
            return true;
        }
        if (key->key() == Qt::Key_Escape) {
            FindBar->hide();
            Browser->setFocus();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
