// Clicks on a question page: selecting its parts while authoring, judging a
// choice in the Question Page domain (response, remediation, action, two
// attempts), and the authoring of each choice's settings.
#include <QDir>
#include <QFile>

#include "AppState.h"
#include "PageHost.h"
#include "PageLayer.h"
#include "QuestionJudging.h"
#include "QuestionLayout.h"
#include "TFrame.h"
#include "TextCodes.h"

namespace vellora {
namespace {

constexpr int kQuestionPageDomain = 22;
constexpr int kQuestionSoundDomain = 18;
constexpr int kChoiceSoundDomain = 20;
constexpr int kResponseSoundDomain = 21;
constexpr int kAqua = 14;

void setBase(QWidget* w, const QColor& c) {
    QPalette p = w->palette();
    p.setColor(QPalette::Base, c);
    p.setColor(QPalette::Window, c);
    w->setPalette(p);
}

}  // namespace

void PageLayer::ResetAttempt() {
    frame_.Attempt = 1;
}

void PageLayer::cleanUpQuestion() {
    st_.CleaningUp = true;
    frame_.SelectJump1Page->hide();
    frame_.SelectJump2Page->hide();
    st_.CleaningUp = false;
    // The main window's pop-up panels close as on a click on the page.
    emit frame_.backgroundClicked();
}

void PageLayer::playWaiting(const QString& file) {
    if (file.isEmpty() || !QFile::exists(file) || st_.Closing) return;
    frame_.Playy(file, DeviceType::WaveAudio, true);
}

void PageLayer::ChangeQuestionDomain(QObject* sender) {
    TFrame& f = frame_;
    if (st_.CurrentDomain > 9) f.QuestionArmed = 100;
    if (f.QuestionArmed == 0 || f.QuestionBusy || !question()) return;
    cleanUpQuestion();
    f.QuestionBusy = true;
    const int item = f.QuestionItem(sender);
    const int target = QuestionTargetDomain(item);
    if (item >= 1 && item <= f.ChoiceCount && st_.AwaitingAnswer)
        st_.CurrentDomain = kQuestionPageDomain;  // judged as it stands, no new screen
    else if (st_.CurrentDomain != kQuestionPageDomain && st_.CurrentDomain != target)
        host_.Icons(target);
    const int slot = QuestionSlot(item);
    f.SetChoice(slot);
    f.ChosenValue = slot >= 1 && slot <= 4 ? f.Value[size_t(slot)]->value() : 0;
    f.Clicked->setText(QString::number(f.CurrentChoice));
    f.SelectedValue->setText(QString::number(f.ChosenValue));
    DistribActionFunctions(1, f.CurrentChoice, 0, 0);
    f.QuestionBusy = false;
    if (st_.CurrentDomain != kQuestionPageDomain) return;

    // Judging. Further clicks wait until this one's sounds and pages are done.
    f.QuestionBusy = true;
    if (f.Attempt != 1 && f.Attempt != 2) f.Attempt = 1;
    const int attempt = f.Attempt;
    const int value = f.ChosenValue;
    const int questionPage = st_.CurrentPage;
    for (int mode = 2; mode <= 4 && !st_.Closing; ++mode)
        DistribActionFunctions(mode, f.CurrentChoice, value, attempt);
    const AttemptResult result = AfterSelection(value, attempt);
    // The question is over when the answer is final, and also when an action
    // took the learner to another page: nothing is left there to answer.
    if (result.final || st_.CurrentPage != questionPage) st_.AwaitingAnswer = false;
    f.Attempt = st_.CurrentPage != questionPage ? 1 : result.next;
    f.QuestionBusy = false;
}

void PageLayer::DistribActionFunctions(int mode, int slot, int value, int attempt) {
    if (slot < 1 || slot > 4) return;
    TFrame& f = frame_;
    int cells[6];
    f.SlotCells(slot, cells);
    const auto& pages = f.ChoicePages[size_t(slot)];
    const bool first = attempt == 1;
    const SlotCodes codes = CodesFor(cells, attempt);
    switch (mode) {
        case 1:
            InitRadioButtons(cells);
            f.PlayPage01->setText(QString::number(pages[0]));
            f.JumpPage01->setText(QString::number(pages[1]));
            f.PlayPage02->setText(QString::number(pages[2]));
            f.JumpPage02->setText(QString::number(pages[3]));
            break;
        case 2:
            if (codes.response == 0) DefaultResponse(value, slot);
            if (codes.response == 2) CustomResponse(value, slot);
            break;
        case 3:
            if (codes.remediate == 1) BackToPage(first ? pages[0] : pages[2]);
            if (codes.remediate == 2) RevealCorrect(value);
            break;
        case 4:
            if (codes.action == 0) {
                if (st_.CurrentPage < st_.PageCount) {
                    const int before = st_.CurrentPage;
                    ChangePage(st_.CurrentPage + 1, 9);
                    if (st_.CurrentPage != before) st_.JumpPending = true;
                }
            } else if (codes.action == 1) {
                const int before = st_.CurrentPage;
                BackToPage(first ? pages[1] : pages[3]);
                if (st_.CurrentPage != before) st_.JumpPending = true;
            } else if (codes.action == 2) {
                RepeatQuestion();
            }
            break;
        default:
            break;
    }
}

void PageLayer::InitRadioButtons(const int (&codes)[6]) {
    // Showing a slot's settings is not the author's choice: the groups'
    // click handlers do not run, so no code is written back.
    TRadioGroup* groups[6] = {frame_.rgResponse01, frame_.rgRemediate01, frame_.rgAction01,
                              frame_.rgResponse02, frame_.rgRemediate02, frame_.rgAction02};
    for (int i = 0; i < 6; ++i) groups[i]->setItemIndex(codes[i]);
}

void PageLayer::DefaultResponse(int value, int slot) {
    const Verdict v = FormatDefault(value, slot == -1);
    const QString sound = QDir(st_.ProgramDir).filePath(v.sound);
    if (!QFile::exists(sound)) return;
    TFrame& f = frame_;
    QPalette p = f.DefaultFont->palette();
    p.setColor(QPalette::Window, v.colour);
    p.setColor(QPalette::WindowText, Qt::white);
    f.DefaultFont->setPalette(p);
    f.DefaultFont->setText(v.text);
    f.VerdictPanel->setGeometry(f.Question->x() + 4, f.Question->y() + f.Question->height() + 2,
                                f.Question->width(), f.VerdictPanel->height());
    f.DefaultFont->resize(f.VerdictPanel->size());
    f.VerdictPanel->show();
    f.VerdictPanel->raise();
    if (verdictShown_) verdictShown_();
    playWaiting(sound);
    f.VerdictPanel->hide();
}

void PageLayer::PlaceResponseMemo() {
    TFrame& f = frame_;
    f.ResponseMemo->setEnabled(true);
    const int h = RowHeight(MemoHeight(f.measurer(), f.ResponseMemo->font(),
                                       f.ResponseMemo->toPlainText(), f.Question->width() - 8));
    f.ResponseMemo->setGeometry(f.Question->x(), f.Question->y() + f.Question->height() + 2,
                                f.Question->width(), h);
    f.ResponseMemo->show();
    f.ResponseMemo->raise();
}

void PageLayer::CustomResponse(int value, int slot) {
    TFrame& f = frame_;
    f.ResponseMemo->setPlainText(f.Response[size_t(slot)]->toPlainText());
    QTextCursor all(f.ResponseMemo->document());
    all.select(QTextCursor::Document);
    QTextBlockFormat centred;
    centred.setAlignment(Qt::AlignCenter);
    all.mergeBlockFormat(centred);
    PlaceResponseMemo();
    QString sound;
    if (f.ChoiceRecNums[size_t(f.CurrentChoice)] > 0)
        sound = host_.MediaFileName(kResponseSoundDomain, f.CurrentChoice);
    if (sound.isEmpty() || !QFile::exists(sound))
        sound = QDir(st_.ProgramDir).filePath(FormatDefault(value, false).sound);
    if (verdictShown_) verdictShown_();
    playWaiting(sound);
    f.ResponseMemo->hide();
}

void PageLayer::RevealCorrect(int value) {
    TFrame& f = frame_;
    QWidget* indicator = f.Indic[0];
    QWidget* middle = f.Clicked;
    QWidget* memo = f.ResponseMemo;
    for (int n = 1; n <= std::min(f.ChoiceCount, 4); ++n)
        if (f.Value[size_t(n)]->value() > 99) {
            indicator = f.Indic[size_t(n)];
            middle = f.Enum[size_t(n)];
            memo = f.Choice[size_t(n)];
            break;
        }
    // The lit controls get their own colours back afterwards (the
    // enumerators are silver, the response memo red), not a common one.
    const QPalette middleWas = middle->palette(), memoWas = memo->palette();
    if (value < 100)
        for (QWidget* w : {indicator, middle, memo}) setBase(w, ColorOfCode(kAqua));
    DefaultResponse(value, -1);
    middle->setPalette(middleWas);
    memo->setPalette(memoWas);
    f.HilightSelection(f.ButtonFace(), f.CurrentChoice);
}

void PageLayer::BackToPage(int pageNumber) {
    // Only a page of the lesson is played; a number past the last page would
    // ask the learner to make a page, and page 0 is the title.
    if (pageNumber < 1 || pageNumber > st_.PageCount) return;
    const int page = st_.CurrentPage;
    const int attempt = frame_.Attempt;
    ChangePage(pageNumber, 9);
    if (playQuestionPage_ && !st_.StopRequested && !st_.Closing) playQuestionPage_();
    ChangePage(page, kQuestionPageDomain);
    frame_.Attempt = attempt;
}

void PageLayer::RepeatQuestion() {
    TFrame& f = frame_;
    for (int n = 1; n <= 4; ++n) f.Fix[size_t(n)]->hide();
    for (bool show : {false, true})
        for (int i = 0; i <= std::min(f.ChoiceCount, 4); ++i) {
            if (show && (st_.StopRequested || st_.Closing)) break;
            f.SetChoice(i);
            Present(i, show);
        }
    // Whatever stopped the reading, every item shows again.
    f.Stimulus->show();
    for (int n = 1; n <= std::min(f.ChoiceCount, 4); ++n) {
        f.Choice[size_t(n)]->show();
        f.Enum[size_t(n)]->show();
    }
    f.HilightSelection(f.ButtonFace(), 0);
    f.CurrentChoice = f.ChoiceCount;
}

void PageLayer::Present(int item, bool show) {
    TFrame& f = frame_;
    f.HilightSelection(f.ButtonFace(), item);
    if (item == 0) {
        f.Stimulus->setVisible(show);
        if (show) playWaiting(host_.MediaFileName(kQuestionSoundDomain, 0));
        return;
    }
    if (item < 1 || item > 4) return;
    f.Choice[size_t(item)]->setVisible(show);
    f.Enum[size_t(item)]->setVisible(show);
    f.Fix[size_t(item)]->hide();
    if (show && f.ChoiceRecNums[size_t(item)] > 0)
        playWaiting(host_.MediaFileName(kChoiceSoundDomain, item));
}

// Authoring the settings ----------------------------------------------------------

void PageLayer::rgClick(int field, int index) {
    TFrame& f = frame_;
    f.EditedSelection = field / 10;
    f.EditedField = field;
    cleanUpQuestion();
    const int slot = f.CurrentChoice;
    HiLitAction(slot);
    const int setting = field % 10 - 1;  // 0 response, 1 remediation, 2 action
    const int cell = (f.EditedSelection == 1 ? 0 : 3) + setting;
    if (slot >= 1 && slot <= 4) f.SetCellCode(slot, cell, index);
    TRadioGroup* groups[6] = {f.rgResponse01, f.rgRemediate01, f.rgAction01,
                              f.rgResponse02, f.rgRemediate02, f.rgAction02};
    if (groups[cell]->itemIndex() != index) groups[cell]->setItemIndex(index);
    if (setting >= 1 && index == 1) {
        QSpinBox* spin = f.EditedSelection == 1 ? f.SelectJump1Page : f.SelectJump2Page;
        spin->setEnabled(true);
        SelectJumpPageEnter(f.EditedSelection);
        spin->show();
        spin->raise();
        spin->setFocus();
    }
}

void PageLayer::HiLitAction(int slot) {
    TFrame& f = frame_;
    f.H1->setVisible(f.EditedSelection == 1);
    f.H2->setVisible(f.EditedSelection == 2);
    for (int n = 1; n <= 4; ++n) {
        f.H1x[size_t(n)]->hide();
        f.H2x[size_t(n)]->hide();
    }
    if (slot < 1 || slot > 4) return;
    (f.EditedSelection == 1 ? f.H1x : f.H2x)[size_t(slot)]->show();
}

void PageLayer::SelectJumpPageEnter(int column) {
    TFrame& f = frame_;
    QSpinBox* spin = column == 1 ? f.SelectJump1Page : f.SelectJump2Page;
    const int slot = f.CurrentChoice;
    const bool jump = f.EditedField % 10 == 3;
    QLineEdit* box =
        column == 1 ? (jump ? f.JumpPage01 : f.PlayPage01) : (jump ? f.JumpPage02 : f.PlayPage02);
    spin->setRange(0, std::max(st_.PageCount, 0));
    const QPoint at = box->mapTo(&f, QPoint(0, 0));
    spin->setGeometry(at.x(), at.y() - 3, 50, box->height() + 6);
    if (slot >= 1 && slot <= 4)
        spin->setValue(f.ChoicePages[size_t(slot)][size_t((column - 1) * 2 + (jump ? 1 : 0))]);
}

void PageLayer::SelectJumpPageExit(int column) {
    if (st_.CleaningUp) return;
    TFrame& f = frame_;
    const int field = f.EditedField;
    if (field / 10 != column || field % 10 < 2) return;
    QSpinBox* spin = column == 1 ? f.SelectJump1Page : f.SelectJump2Page;
    const bool jump = field % 10 == 3;
    const int slot = f.CurrentChoice;
    if (slot >= 1 && slot <= 4)
        f.ChoicePages[size_t(slot)][size_t((column - 1) * 2 + (jump ? 1 : 0))] = spin->value();
    QLineEdit* box =
        column == 1 ? (jump ? f.JumpPage01 : f.PlayPage01) : (jump ? f.JumpPage02 : f.PlayPage02);
    box->setText(QString::number(spin->value()));
    f.EditedField = 0;
    cleanUpQuestion();
}

}  // namespace vellora
