// The question page's rows: the page row's question fields, and the four
// choice rows dealt into the slots of the page window.
#include <QFile>

#include "AppState.h"
#include "Database.h"
#include "Dialogs.h"
#include "MediaDevice.h"
#include "PageHost.h"
#include "PageLayer.h"
#include "PageRows.h"
#include "PageTexts.h"
#include "StoreError.h"
#include "TFrame.h"
#include "TextCodes.h"

namespace vellora {
namespace {

constexpr int kChoicesDomain = 19;

QFont pageFont(const QString& name, qint64 size, qint64 style, const QFont& base) {
    QFont f = base;
    if (!name.isEmpty()) f.setFamily(name);
    if (size > 0) f.setPointSize(int(size));
    return FontWithStyle(f, style);
}

void setTextColour(QWidget* w, const QColor& c) {
    QPalette p = w->palette();
    p.setColor(QPalette::Text, c);
    w->setPalette(p);
}

}  // namespace

int PageLayer::CurrentChoice() const {
    return frame_.CurrentChoice;
}
int PageLayer::ChoiceCount() const {
    return frame_.ChoiceCount;
}
void PageLayer::SetCurrentChoice(int choice) {
    frame_.SetChoice(choice);
}

void PageLayer::SetChoices(int n) {
    frame_.SetChoices(n);
}

void PageLayer::loadQuestionPage(const PageData& page) {
    frame_.Stimulus->setFont(
        pageFont(page.FontName, page.FontSize, page.FontStyle, frame_.Stimulus->font()));
    setTextColour(frame_.Stimulus, ColorOfCode(page.FontColor));
    frame_.Stimulus->setPlainText(page.StimulusText);
    frame_.cbDisplayScore->setChecked(page.ShowScore);
    frame_.cbDisplayScoreClick();
    // The enumerators and choice memos follow the choice font.
    const QFont choices =
        pageFont(page.EFontName, page.EFontSize, page.EFontStyle, frame_.Choice[1]->font());
    for (int n = 1; n <= 4; ++n) {
        frame_.Enum[size_t(n)]->setFont(choices);
        frame_.Choice[size_t(n)]->setFont(choices);
        setTextColour(frame_.Choice[size_t(n)], ColorOfCode(page.EFontColor));
    }
    frame_.QuSound->setChecked(page.PageSoundFile);
}

void PageLayer::saveQuestionPage(PageData& page) const {
    page.ShowScore = frame_.cbDisplayScore->isChecked();
    page.StimulusText = frame_.Stimulus->toPlainText();
    page.Choices = frame_.ChoiceCount;
    const QFont s = frame_.Stimulus->font();
    page.FontName = s.family();
    page.FontSize = s.pointSize();
    page.FontColor = CodeOfColor(frame_.Stimulus->palette().color(QPalette::Text));
    page.FontStyle = StyleCodeOf(StyleOfFont(s));
    const QFont e = frame_.Choice[1]->font();
    page.EFontName = e.family();
    page.EFontSize = e.pointSize();
    page.EFontColor = CodeOfColor(frame_.Choice[1]->palette().color(QPalette::Text));
    page.EFontStyle = StyleCodeOf(StyleOfFont(e));
}

void PageLayer::AssignChoiceRecords(qint64 pageRegNum, bool direct) {
    frame_.ChoiceRecNums.fill(0);
    std::vector<ChoiceSource> rows;
    for (const auto& [key, enumerator] : rows_.ChoiceEnumeratorsOfPage(pageRegNum))
        rows.push_back({key, enumerator});
    if (direct) {
        for (size_t k = 0; k < rows.size(); ++k) frame_.ChoiceRecNums[k + 1] = rows[k].key;
        return;
    }
    const ChoiceDeal deal = vellora::AssignChoiceRecords(rows, frame_.ChoiceCount,
                                                         [this](int n) { return random_.Rand(n); });
    if (deal.choiceCount != frame_.ChoiceCount) SetChoices(deal.choiceCount);
    for (size_t s = 1; s <= 4; ++s) frame_.ChoiceRecNums[s] = deal.recNums[s];
    const int current = frame_.CurrentChoice;
    frame_.SetChoice(current >= 0 && current <= 4 ? current : 0);
}

bool PageLayer::LoadChoiceRecord(int slot) {
    const std::optional<ChoiceData> row = rows_.LoadChoice(frame_.ChoiceRecNums[size_t(slot)]);
    if (!row) return false;
    frame_.ShowSlot(slot, *row);
    return true;
}

void PageLayer::LoadChoiceRecords() {
    for (int s = 1; s <= 4; ++s) LoadChoiceRecord(s);
}

void PageLayer::SaveChoiceRecord(int slot) {
    const qint64 key = frame_.ChoiceRecNums[size_t(slot)];
    if (key > 0) rows_.SaveChoice(key, frame_.SlotData(slot));
}

void PageLayer::SaveChoiceRecords() {
    if (!st_.SaveOnPageChange) return;
    // All four slots, shown or not, in one commit.
    Database::Transaction tx(rows_.database());
    for (int s = 1; s <= 4; ++s) SaveChoiceRecord(s);
    tx.commit();
}

void PageLayer::DeleteChoiceRecord(int slot, qint64 choiceRegNum) {
    if (!rows_.LoadChoice(choiceRegNum)) return;
    if (MediaDevice* player = frame_.Player()) player->Close();
    if (frame_.DeletingChoices) {
        rows_.DeleteChoice(choiceRegNum);
    } else if (slot >= 1 && slot <= 4) {
        frame_.ChSound[size_t(slot)]->setChecked(false);
        frame_.RspSound[size_t(slot)]->setChecked(false);
    }
    if (slot < 1 || slot > 4 || frame_.ChoiceRecNums[size_t(slot)] != choiceRegNum) return;
    for (int domain : {20, 21}) {
        const QString file = host_.MediaFileName(domain, slot);
        if (!file.isEmpty() && QFile::exists(file)) QFile::remove(file);
    }
}

void PageLayer::seChoicesClick(int n) {
    // Only the author's change in the Choices domain counts: the program
    // mirrors a page's count into the spin edit without this handler (a page
    // half loaded must never be saved over the new page's rows).
    if (st_.CurrentDomain != kChoicesDomain || !question() || n == frame_.ChoiceCount) return;
    try {
        if (n < frame_.ChoiceCount) {
            const int current = frame_.CurrentChoice;
            const int slot =
                current >= 1 && current < frame_.ChoiceCount ? current : frame_.ChoiceCount;
            frame_.DeletingChoices = false;
            DeleteChoiceRecord(slot, frame_.ChoiceRecNums[size_t(slot)]);
        }
        SetChoices(n);
        {
            Database::Transaction tx(rows_.database());
            if (!SavePageRecord(st_.PageRegNum)) return;
            SaveChoiceRecords();
            tx.commit();
        }
    } catch (const StoreError& e) {
        dialogs_.error(texts::kPageStoreFailed.arg(e.message()));
        return;
    }
    LoadPageRecord(st_.PageRegNum);
    AssignChoiceRecords(st_.PageRegNum, false);
    LoadChoiceRecords();
    frame_.FormatQuestion();
}

}  // namespace vellora
