#include "Navigation.h"

#include <QApplication>
#include <QListWidget>

#include "Diagram.h"
#include "Dialogs.h"
#include "DomainTexts.h"
#include "MainMenu.h"
#include "NewPageDialog.h"
#include "PageOperations.h"
#include "ShellWindows.h"
#include "TMainForm.h"
#include "ToolStripWidget.h"

namespace vellora {
namespace {

bool valid(int domain) { return domain >= 0 && domain < kDomainCount; }

struct WaitCursor {
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
};

// A control that can take the keyboard focus now.
bool canFocus(const QWidget* w) {
    return w && w->isVisible() && w->isEnabled() && w->focusPolicy() != Qt::NoFocus;
}

}  // namespace

DomainNavigator::DomainNavigator(TMainForm& form) : QObject(&form), form_(form), dm_(form.dialogs(), this) {}

PageFacts DomainNavigator::facts() const {
    const PageOperations& pages = form_.pages();
    return PageFacts{pages.WurdCount(), pages.LastStopTime()};
}

void DomainNavigator::Icons(int d) {
    AppState& st = form_.state();
    if (!valid(d)) {
        // An unknown domain is refused rather than entered.
        form_.dialogs().information(texts::kDomainRequestedIs + QString::number(d));
        return;
    }
    WaitCursor wait;
    form_.CleanUp();
    PageOperations& pages = form_.pages();
    pages.PrepareDomainEntry(st.CurrentDomain);

    // The same domain again on the same kind of page: nothing to rebuild.
    if (d == st.CurrentDomain && st.LessonOpen && !st.ForceDomainRefresh &&
        pages.PageMode() == pages.PreviousPageMode()) {
        if (pages.PageMode() == QLatin1String("q")) pages.ShowQuestionIfHidden();
        return;
    }
    st.ForceDomainRefresh = false;
    form_.editDomain->setText(DomainName(d));
    if (!SetScreen(d)) return;
    form_.Slider->Build(d, pages.VideoControlShown());
    form_.Menu(d);
    emit form_.displayFontRequested(d);
    form_.setStatusText(DomainHint(d));
    if (d == 22) pages.ResetAttempt();
    if (form_.diagram()) form_.diagram()->HotDomain(d);
    st.CurrentDomain = d;
    MoveFocus(d);
}

bool DomainNavigator::SetScreen(int d) {
    AppState& st = form_.state();
    const bool firstEntry = !st.ResizeEnabled;
    st.ResizeEnabled = false;
    if (d <= 1) {
        if (st.TitleShown || st.FrameShown) form_.ClearDisplay();
    } else if (d <= 8) {
        form_.TitleOn();
    } else {
        form_.FrameOn();
    }
    st.ResizeEnabled = true;
    // The window may have changed size before the first domain: catch up.
    if (firstEntry) form_.FormResize();
    // The Start domain offers the sample lesson.
    if (form_.Util) form_.Util->btnSample->setVisible(d == 0 && !st.LessonOpen);
    if (!st.LessonOpen) return true;

    if (form_.Util) {
        form_.Util->DefaultFont->setVisible(d == 1);
        form_.Util->DefaultFont->setEnabled(d == 1);
    }
    PageOperations& pages = form_.pages();
    pages.ShowSynchro(d == 14);
    if (pages.PageMode() == QLatin1String("r")) {
        if (pages.TextBoxHasText() && !parsingText_) {
            // Typed text becomes words before any other domain is entered.
            parsingText_ = true;
            // The author may go back to the text at the word limit: the
            // text stays and the Text domain is entered instead.
            const bool parsed = pages.ParseTextIntoWurds(d);
            Icons(parsed ? 12 : 11);
            parsingText_ = false;
            if (!parsed) return false;
        }
        if (d == 11 || d == 12) pages.ToggleScrollTextBox(d);
    }
    pages.ShowQuestionParts(d);
    return true;
}

void DomainNavigator::MoveFocus(int d) {
    const QString name = DomainFocus(d, form_.pages().CurrentChoice());
    if (name.isEmpty()) return;
    QWidget* target = form_.findChild<QWidget*>(name);
    if (!target)
        for (QWidget* top : QApplication::topLevelWidgets()) {
            target = top->objectName() == name ? top : top->findChild<QWidget*>(name);
            if (target) break;
        }
    if (canFocus(target)) target->setFocus(Qt::OtherFocusReason);
}

void DomainNavigator::btnContinueClick() {
    AppState& st = form_.state();
    if (!st.LessonOpen) {
        emit form_.new1Requested();
        return;
    }
    const int d = st.CurrentDomain;
    switch (d) {
        case 1: form_.pages().ChangePage(0, 2); break;
        case 8:
        case 15: SpinButton1UpClick(); break;
        default: Icons(dm_.NextDm(d, facts())); break;
    }
}

void DomainNavigator::btnReturnClick() {
    AppState& st = form_.state();
    const int d = st.CurrentDomain;
    if (d == 9) {
        if (st.CurrentPage < 2)
            RequestDomain(8);
        else
            form_.pages().ChangePage(st.CurrentPage - 1, 14);
    } else if (d == 0) {
        form_.ShutDown();
    } else {
        RequestDomain(dm_.PrecediingDm(d, facts()));
    }
}

void DomainNavigator::btnExitClick() {
    const int d = form_.state().CurrentDomain;
    if (d == 0)
        form_.ShutDown();
    else
        Icons(dm_.PrecediingDm(d, facts()));
}

void DomainNavigator::btnNewClick() {
    AppState& st = form_.state();
    const int d = st.CurrentDomain;
    if (d == 0 || d == 1) {
        emit form_.newLessonRequested();
        return;
    }
    if (!st.LessonOpen || DomainGroup(d) < 2) return;
    // A page made before any new-page question was answered takes the kind
    // of the page it is made from.
    if (st.NewPageKind.isEmpty()) st.NewPageKind = DomainGroup(d) == 3 ? QStringLiteral("q") : QStringLiteral("r");
    form_.pages().MakeNewPage(st.PageCount + 1);
}

void DomainNavigator::RequestDomain(int d) {
    AppState& st = form_.state();
    if (!st.LessonOpen) {
        SpinButton1UpClick();
        return;
    }
    if (!valid(d)) {
        form_.dialogs().information(texts::kDomainRequestedIs + QString::number(d));
        return;
    }
    const int group = DomainGroup(d);
    if (group == DomainGroup(st.CurrentDomain)) {
        Icons(d);
        return;
    }
    PageOperations& pages = form_.pages();
    if (d < 9) {
        // Leaving a page for the title or start: the page is saved on the way.
        if (st.CurrentPage > 0) pages.ChangePage(0, 2);
        Icons(d);
        return;
    }
    if (group == 2 && st.LastReadingPage != -1) {
        if (d == 11 && pages.WurdCountOfPage(st.LastReadingPage) > 0 && !form_.dialogs().confirm(texts::kEraseWords))
            d = 12;
        pages.ChangePage(st.LastReadingPage, d);
        return;
    }
    if (group == 3 && st.LastQuestionPage != -1) {
        pages.ChangePage(st.LastQuestionPage, d);
        return;
    }
    NewPageForGroup(group);
}

void DomainNavigator::NewPageForGroup(int group) {
    TdlgNewPage* dialog = form_.newPageDialog();
    if (!dialog) return;
    dialog->PrepareNotEncountered(group == 3 ? 1 : 0);
    if (dialog->Execute(form_.dialogs())) form_.pages().MakeNewPage(form_.state().PageCount + 1);
}

void DomainNavigator::SpinButton1UpClick() {
    AppState& st = form_.state();
    if (!st.LessonOpen) {
        emit form_.new1Requested();
        return;
    }
    form_.pages().ChangePage(st.CurrentPage + 1, 9);
}

void DomainNavigator::SpinButton1DownClick() {
    AppState& st = form_.state();
    if (!st.LessonOpen) {
        emit form_.new1Requested();
        return;
    }
    if (form_.editPage->text().toInt() > 0) form_.pages().ChangePage(st.CurrentPage - 1, 9);
}

void DomainNavigator::btnSelectDomainClick() {
    if (QWidget* focus = QApplication::focusWidget(); focus != form_.lbDomain) focusBeforeList_ = focus;
    form_.lbDomain->setEnabled(true);
    form_.lbDomain->show();
    form_.lbDomain->raise();
    form_.lbDomain->setFocus(Qt::OtherFocusReason);
    lbDomainEnter();
}

void DomainNavigator::lbDomainEnter() {
    const int d = form_.state().CurrentDomain;
    if (valid(d)) form_.lbDomain->setCurrentRow(d);
}

void DomainNavigator::lbDomainClose() {
    form_.CleanUp();
    if (canFocus(focusBeforeList_)) focusBeforeList_->setFocus(Qt::OtherFocusReason);
}

void DomainNavigator::lbDomainClick() {
    const int row = form_.lbDomain->currentRow();
    form_.CleanUp();
    RequestDomain(row >= 0 ? row : 9);
}

}  // namespace vellora
