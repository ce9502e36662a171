#include "PageLayer.h"

#include "Synchro.h"
#include "WaitUntil.h"

#include <QApplication>
#include <QTimer>
#include <utility>

#include "AppState.h"
#include "Database.h"
#include "Dialogs.h"
#include "PageHost.h"
#include "PageRows.h"
#include "PageTexts.h"
#include "StoreError.h"
#include "TFrame.h"
#include "TextCodes.h"

namespace vellora {
namespace {

constexpr int kPictureDomain = 9;

struct WaitCursor {
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
};

QFont fontOf(const QString& name, qint64 size, qint64 style, const QFont& base) {
    QFont f = base;
    if (!name.isEmpty()) f.setFamily(name);
    if (size > 0) f.setPointSize(int(size));
    return FontWithStyle(f, style);
}

}  // namespace

PageLayer::PageLayer(AppState& state, PageHost& host, Dialogs& dialogs, PageRows& rows, TFrame& frame)
    : st_(state), host_(host), dialogs_(dialogs), rows_(rows), frame_(frame) {
    // The last word frozen: the page goes on to the Words Done step.
    QObject::connect(frame_.Synchro(), &TSynchro::synchronised, frame_.Synchro(), [this] { host_.Icons(15); });
    frame_.onChoicesChanged = [this](int n) { seChoicesClick(n); };
    QObject::connect(&frame_, &TFrame::questionClicked, &frame_, [this](QObject* c) { ChangeQuestionDomain(c); });
    QObject::connect(frame_.btnRepeat, &QPushButton::clicked, &frame_, [this] {
        // A repeat while a choice is judged would read over its verdict.
        if (frame_.QuestionBusy) return;
        frame_.QuestionBusy = true;
        RepeatQuestion();
        frame_.QuestionBusy = false;
    });
    const std::pair<TRadioGroup*, int> groups[] = {{frame_.rgResponse01, 11}, {frame_.rgRemediate01, 12},
                                                   {frame_.rgAction01, 13},   {frame_.rgResponse02, 21},
                                                   {frame_.rgRemediate02, 22}, {frame_.rgAction02, 23}};
    for (const auto& [group, field] : groups)
        QObject::connect(group, &TRadioGroup::itemClicked, &frame_,
                         [this, field = field](int index) { rgClick(field, index); });
    QObject::connect(frame_.SelectJump1Page, &QSpinBox::editingFinished, &frame_, [this] { SelectJumpPageExit(1); });
    QObject::connect(frame_.SelectJump2Page, &QSpinBox::editingFinished, &frame_, [this] { SelectJumpPageExit(2); });
}

bool PageLayer::question() const { return frame_.PageMode == QLatin1String("q"); }

int PageLayer::WurdCount() const { return frame_.PageMode == QLatin1String("r") ? frame_.WurdCount : 0; }

int PageLayer::LastStopTime() const {
    const int n = WurdCount();
    return n > 0 ? int(frame_.StopTimes[size_t(n)]) : 0;
}

QString PageLayer::PageMode() const { return frame_.PageMode; }
QString PageLayer::PreviousPageMode() const { return frame_.PreviousPageMode; }
bool PageLayer::VideoControlShown() const { return frame_.VideoControlShown; }

int PageLayer::WurdCountOfPage(int pageNumber) const {
    if (pageNumber == st_.CurrentPage && pageNumber > 0) return WurdCount();
    const qint64 key = PageRecord(pageNumber);
    if (key == 0) return 0;
    const std::optional<PageData> page = rows_.LoadPage(key);
    return page && page->PageType == 0 ? int(page->Wurds) : 0;
}

qint64 PageLayer::PageRecord(int pageNumber) const { return rows_.PageRecord(st_.LesnRegNum, pageNumber); }

// Page records -----------------------------------------------------------------

void PageLayer::MakeNewPage(int pageNumber) {
    // A page whose number is taken already is shown rather than made twice.
    if (PageRecord(pageNumber) != 0) {
        checkPageCount();
        ChangePage(pageNumber, kPictureDomain);
        return;
    }
    try {
        // Page row, choice rows and defaults together, or nothing.
        // A kind never chosen makes a reading page: the page row's kind and
        // its defaults always agree.
        const QString kind = st_.NewPageKind == QLatin1String("q") ? QStringLiteral("q") : QStringLiteral("r");
        if (rows_.MakeNewPageRows(st_.LesnRegNum, pageNumber, kind) == 0) return;
    } catch (const StoreError& e) {
        dialogs_.error(texts::kPageStoreFailed.arg(e.message()));
        return;
    }
    if (pageNumber > st_.PageCount) host_.SetPageCount(pageNumber);
    ChangePage(pageNumber, kPictureDomain);
}

bool PageLayer::LoadPageRecord(qint64 pageRegNum) {
    const std::optional<PageData> page = rows_.LoadPage(pageRegNum);
    if (!page) return false;
    st_.PageRegNum = page->PageRegNum;
    if (page->PageType > 0) {
        frame_.SetPageMode(QStringLiteral("q"));
        frame_.WurdCount = 0;
        if (st_.LessonOpen) SetChoices(int(page->Choices));
        loadQuestionPage(*page);
    } else {
        frame_.SetPageMode(QStringLiteral("r"));
        if (st_.LessonOpen) frame_.WurdCount = std::clamp(int(page->Wurds), 0, kMaxWurds);
        frame_.TextBox->setFont(fontOf(page->FontName, page->FontSize, page->FontStyle, frame_.TextBox->font()));
        QPalette p = frame_.TextBox->palette();
        p.setColor(QPalette::Text, ColorOfCode(page->FontColor));
        frame_.TextBox->setPalette(p);
    }
    st_.cbVideo = page->Video;
    st_.cbPicture = page->Picture;
    st_.cbTextSound = page->PageSoundFile;
    frame_.VideoControlShown = page->VideoControl;
    frame_.MediaPlayer1->setVisible(frame_.VideoControlShown);
    frame_.MediaPlayer1->setEnabled(frame_.VideoControlShown);
    frame_.SetVideoControlSize();
    st_.LoadedPageNumber = int(page->PageNumber);
    if (page->PageType > 0)
        st_.LastQuestionPage = st_.LoadedPageNumber;
    else
        st_.LastReadingPage = st_.LoadedPageNumber;
    return true;
}

bool PageLayer::SavePageRecord(qint64 pageRegNum) {
    if (!st_.SaveOnPageChange) return true;
    std::optional<PageData> page = rows_.LoadPage(pageRegNum);
    if (!page) return false;
    page->VideoControl = frame_.VideoControlShown;
    page->PageNumber = st_.CurrentPage;
    page->Video = st_.cbVideo;
    page->Picture = st_.cbPicture;
    page->PageSoundFile = st_.cbTextSound;
    if (!question()) {
        const QFont f = frame_.TextBox->font();
        page->Wurds = frame_.WurdCount;
        page->FontName = f.family();
        page->FontSize = f.pointSize();
        page->FontColor = CodeOfColor(frame_.TextBox->palette().color(QPalette::Text));
        page->FontStyle = StyleCodeOf(StyleOfFont(f));
    } else {
        saveQuestionPage(*page);
    }
    try {
        return rows_.SavePage(pageRegNum, *page, question());
    } catch (const StoreError& e) {
        dialogs_.error(texts::kPageStoreFailed.arg(e.message()));
        return false;
    }
}

bool PageLayer::saveItemsOfPage() {
    try {
        if (question())
            SaveChoiceRecords();
        else
            frame_.SaveWurdRecords(st_.PageRegNum);
        return true;
    } catch (const StoreError& e) {
        dialogs_.error(texts::kPageStoreFailed.arg(e.message()));
        return false;
    }
}

void PageLayer::leaveForTitle() {
    // Only a page on screen is saved: after a lesson was loaded the page
    // register may still name a page of the lesson before.
    if (st_.CurrentPage > 0 && st_.PageRegNum > 0) {
        SavePageRecord(st_.PageRegNum);
        saveItemsOfPage();
    }
    host_.RespaceTitle();
    frame_.DestroyAllWurds();
    frame_.WurdCount = 0;
    checkPageCount();
    host_.SetCurrentPage(0);
    host_.Icons(2);
}

void PageLayer::checkPageCount() {
    if (!st_.LessonOpen) return;
    const int held = rows_.MaxPageNumber(st_.LesnRegNum);
    if (held == st_.PageCount) return;
    dialogs_.information(texts::kPagesRepaired.arg(st_.PageCount).arg(held));
    host_.SetPageCount(held);
}

void PageLayer::ChangePage(int pageNumber, int domain) {
    WaitCursor wait;
    st_.RequestedPage = pageNumber;
    if (st_.CurrentDomain == 11 && frame_.TextBoxModified() && !ParseTextIntoWurds(domain)) return;

    if (pageNumber == 0) {
        leaveForTitle();
        return;
    }
    if (pageNumber > st_.PageCount) {
        if (host_.AskNewPage()) MakeNewPage(st_.PageCount + 1);
        return;
    }
    frame_.ParkTestWurd();
    const qint64 newKey = PageRecord(pageNumber);
    if (newKey == 0) {
        dialogs_.information(texts::kNewPageRegNumZero);
        return;
    }
    {
        // The page row and its words are written together: one commit, and
        // never a row that counts words its page does not hold.
        Database::Transaction tx(rows_.database());
        if (st_.CurrentPage != 0 && !st_.SavingSuspended && !SavePageRecord(st_.PageRegNum)) {
            dialogs_.information(texts::kPageNotSaved);
            return;
        }
        if (!st_.SavingSuspended && st_.CurrentPage > 0 && !saveItemsOfPage()) {
            dialogs_.information(texts::kPageNotSaved);
            return;
        }
        tx.commit();
    }
    if (!LoadPageRecord(newKey)) {
        dialogs_.information(texts::kNewPageNotLoaded);
        return;
    }
    if (question()) {
        if (domain == 9) domain = 16;
        if (domain == 10) domain = 17;
    }
    ShowLoadedPage(domain);
    ShowPagePicture();
    frame_.SetVideoControlSize();
    host_.Icons(domain);
}

void PageLayer::ShowLoadedPage(int domain) {
    frame_.Timer1->stop();
    // The page left takes its sound and video with it.
    if (MediaDevice* player = frame_.Player()) player->Close();
    frame_.VideoPanel->hide();
    frame_.MediaPlayer1->hide();
    frame_.AdjustWurdsNumber();
    host_.SetCurrentPage(st_.LoadedPageNumber);
    frame_.ToggleScrollTextBox(domain);
    if (question()) {
        AssignChoiceRecords(st_.PageRegNum, false);
        LoadChoiceRecords();
        return;
    }
    if (frame_.WurdCount < 1) {
        frame_.TextBox->hide();
        frame_.sbWurdsBox->hide();
        return;
    }
    showWurds();
}

void PageLayer::showWurds() {
    frame_.LoadWurdRecordPointers(st_.PageRegNum);
    // A page row that counts more words than it has rows shows the words it
    // has, in order, and keeps them under their new numbers when saved.
    int found = 0;
    for (int n = 1; n <= frame_.WurdCount; ++n)
        if (frame_.WurdRecNums[size_t(n)] != 0) frame_.WurdRecNums[size_t(++found)] = frame_.WurdRecNums[size_t(n)];
    if (found < frame_.WurdCount) {
        dialogs_.information(texts::WurdsMissing(st_.LoadedPageNumber, frame_.WurdCount, found));
        frame_.WurdCount = found;
        frame_.AdjustWurdsNumber();
    }
    frame_.AssignWurdComponentNums();
    frame_.LoadWurds(st_.CurrentPage);
    frame_.CurrentWurd = 1;
    frame_.DrawAWurd(1, TFrame::WurdColor::White, 1);
}

void PageLayer::ShowPagePicture() {
    if (st_.CurrentPage < 1) return;
    frame_.ShowPicture(host_.MediaFileName(kPictureDomain, 0));
}

void PageLayer::ClearPageMode() {
    frame_.PageMode.clear();
    frame_.PreviousPageMode.clear();
    // The page register and the pages visited last belong to the lesson
    // before; kept, they would save into or lead to that lesson's pages.
    st_.PageRegNum = 0;
    st_.LastReadingPage = -1;
    st_.LastQuestionPage = -1;
}

void PageLayer::SaveWurdRecords() {
    if (st_.CurrentPage > 0) saveItemsOfPage();
}

bool PageLayer::SaveCurrentPage() { return st_.CurrentPage == 0 || SavePageRecord(st_.PageRegNum); }

// Domain entry ------------------------------------------------------------------

void PageLayer::PrepareDomainEntry(int) { frame_.ParkTestWurd(); }

void PageLayer::ShowSynchro(bool show) {
    TSynchro* synchro = frame_.Synchro();
    synchro->setEnabled(show);
    if (!show) {
        synchro->hide();
        return;
    }
    synchro->show();
    synchro->raise();
    synchro->SyncReady = false;
    // The leader plays once the domain has been entered and shown.
    QTimer::singleShot(0, synchro, [this, synchro] {
        const bool align = std::exchange(alignOnEntry_, false);
        if (st_.CurrentDomain != 14 || !synchro->isVisible()) return;
        if (align)
            synchro->AlignPage();
        else
            synchro->SetupMediaSynchro(false);
    });
}

void PageLayer::AlignToSound() {
    if (!st_.LessonOpen || st_.CurrentPage < 1 || question()) return;
    if (st_.CurrentDomain == 14) {
        frame_.Synchro()->btnAlignClick();
        return;
    }
    alignOnEntry_ = true;
    host_.Icons(14);
    if (st_.CurrentDomain != 14) alignOnEntry_ = false;
}

void PageLayer::ReadWurds() {
    frame_.btnReadTextClick();
    waitUntil([this] { return !frame_.Reading(); });
}

void PageLayer::btnRead3Click() {
    // A second press while the page is read is the same reading.
    if (frame_.Reading()) return;
    ReadWurds();
    frame_.CurrentWurd = 1;
    frame_.DrawAWurd(1, TFrame::WurdColor::White, 1);
}

void PageLayer::ShowQuestionIfHidden() {
    if (question() && frame_.Question->isHidden()) frame_.Question->show();
}

bool PageLayer::TextBoxHasText() const { return !frame_.TextBox->document()->isEmpty(); }

bool PageLayer::ParseTextIntoWurds(int domain) {
    const auto ask150 = [this](const QString& staged) {
        return dialogs_.message(MsgKind::Warning, texts::MaxWurdsQuestion(staged), MsgButtons::YesNo) ==
               MsgAnswer::Yes;
    };
    // The text box of a page with words starts empty: a stray Enter or blank
    // there is no new text, and the words (with their synchronised times)
    // stay rather than being replaced by nothing.
    if (frame_.WurdCount > 0 && frame_.TextBox->toPlainText().trimmed().isEmpty()) {
        frame_.TextBox->clear();
        frame_.TextBox->document()->setModified(false);
        return true;
    }
    try {
        if (!frame_.ParseWurds(st_.PageRegNum, st_.RequestedPage == 0, ask150)) return false;
    } catch (const StoreError& e) {
        dialogs_.error(texts::kPageStoreFailed.arg(e.message()));
        // The old words are still stored: show them again.
        const std::optional<PageData> page = rows_.LoadPage(st_.PageRegNum);
        frame_.WurdCount = page ? std::clamp(page->Wurds, 0, kMaxWurds) : 0;
        frame_.AdjustWurdsNumber();
        if (frame_.WurdCount > 0) showWurds();
        return false;
    }
    frame_.TextBox->clear();
    frame_.TextBox->document()->setModified(false);
    frame_.AdjustWurdsNumber();
    frame_.LoadWurdRecordPointers(st_.PageRegNum);
    frame_.AssignWurdComponentNums();
    frame_.ToggleScrollTextBox(domain);
    frame_.LoadWurds(st_.CurrentPage);
    frame_.CurrentWurd = 1;
    frame_.DrawAWurd(1, TFrame::WurdColor::White, 1);
    // The page row counts its new words at once, so that it never names
    // more or fewer words than the rows just written.
    if (st_.CurrentPage > 0) SavePageRecord(st_.PageRegNum);
    host_.ShowTextFont(domain);
    return true;
}

void PageLayer::ToggleScrollTextBox(int domain) { frame_.ToggleScrollTextBox(domain); }

void PageLayer::ShowQuestionParts(int domain) {
    frame_.SetQuestionVisibility(domain);
    if (question()) {
        frame_.FormatQuestion();
        frame_.Question->show();
    } else {
        frame_.Question->hide();
    }
}

void PageLayer::AlignWurds() { frame_.AlignWurds(); }

void PageLayer::SetVideoControl(bool on) {
    frame_.VideoControlShown = on;
    frame_.MediaPlayer1->setVisible(on);
    frame_.MediaPlayer1->setEnabled(on);
}

void PageLayer::SetWallpaper(const QString& path) { frame_.SetWallpaper(path); }

void PageLayer::EditText(EditCommand command) { frame_.EditMenuClick(command); }

void PageLayer::TextFile(TextFileCommand command) {
    switch (command) {
        case TextFileCommand::New: frame_.New1Click(); break;
        case TextFileCommand::Open: frame_.Open1Click(); break;
        case TextFileCommand::Save: frame_.Save1Click(); break;
        case TextFileCommand::SaveAs: frame_.SaveAs1Click(); break;
    }
}

}  // namespace vellora
