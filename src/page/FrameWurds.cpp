// The words of a reading page: one edit box per word inside the words box,
// and the word rows they are loaded from and saved to.
#include <QMouseEvent>
#include <optional>
#include <unordered_map>

#include "AppState.h"
#include "Database.h"
#include "Dialogs.h"
#include "PageRows.h"
#include "PageTexts.h"
#include "TFrame.h"
#include "TextCodes.h"
#include "WurdLayout.h"

namespace vellora {
namespace {

QColor backgroundOf(TFrame::WurdColor c) {
    switch (c) {
        case TFrame::WurdColor::Yellow: return QColor(255, 255, 0);
        case TFrame::WurdColor::Aqua: return QColor(0, 255, 255);
        case TFrame::WurdColor::White: break;
    }
    return Qt::white;
}


}  // namespace

TWurd::TWurd(int tag, QWidget* parent) : QLineEdit(parent), Tag(tag) {
    setObjectName(QStringLiteral("Wurd%1").arg(tag));
    setFrame(false);
    setAutoFillBackground(true);
    setAttribute(Qt::WA_MacShowFocusRect, false);
    setCursorPosition(0);
    // A word box is exactly as wide as its text: take back the edit's own
    // two-pixel inner margins so that no letter is cut.
    setTextMargins(-2, 0, -2, 0);
    setContentsMargins(0, 0, 0, 0);
}

void TWurd::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    deselect();
}

void TWurd::mousePressEvent(QMouseEvent* event) {
    QLineEdit::mousePressEvent(event);
    if (event->button() == Qt::LeftButton) emit clicked(Tag);
}

TWurd* TFrame::wurd(int n) const {
    if (n < 1 || n > WurdCount || n > kMaxWurds) return nullptr;
    const int k = WurdComponentNums[n];
    if (k < 0 || k >= int(wurdBoxes_.size())) return nullptr;
    return wurdBoxes_[k];
}

QString TFrame::Capshun(int n) const {
    TWurd* w = wurd(n);
    return w ? w->text() : QString();
}

void TFrame::ParkTestWurd() { lbTestWurd->move(sbWurdsBox->width() + 1, lbTestWurd->y()); }

bool TFrame::ParseWurds(qint64 pageRegNum, bool titlePage, const std::function<bool(const QString&)>& ask150) {
    const QFont font = textBoxFont();
    const ParseResult parsed =
        vellora::ParseWurds(TextBox->toPlainText().split(QLatin1Char('\n')), font, *measurer_, titlePage, ask150,
                            sbWurdsBox->width());
    // Back to the text: the old words stay as they were.
    if (parsed.editTextRequested) return false;
    for (const StagedWurd& s : parsed.wurds)
        if (s.text.size() > kMaxWurdText) {
            if (dialogs_) dialogs_->warning(texts::kWurdTooLong.arg(s.text.trimmed()).arg(kMaxWurdText));
            return false;
        }
    // The old words go and the new ones come in one transaction.
    std::optional<Database::Transaction> tx;
    if (rows_) tx.emplace(rows_->database());
    EraseOldWurds();
    if (rows_) {
        WurdData row;
        row.PageRegNum = pageRegNum;
        row.WFontName = font.family();
        row.WFontSize = font.pointSize();
        row.WFontColor = CodeOfColor(TextBox->palette().color(QPalette::Text));
        row.WFontStyle = StyleCodeOf(StyleOfFont(font));
        for (size_t i = 0; i < parsed.wurds.size(); ++i) {
            const StagedWurd& s = parsed.wurds[i];
            row.WurdNumber = int(i) + 1;
            row.WText = s.text;
            row.WLeft = s.rect.x();
            row.WTop = s.rect.y();
            row.WWide = s.rect.width();
            row.WTall = s.rect.height();
            rows_->NewWurdRecord(row);
        }
        tx->commit();
    }
    WurdCount = int(parsed.wurds.size());
    return true;
}

void TFrame::EraseOldWurds() {
    if (rows_ && WurdCount > 0) {
        Database::Transaction tx(rows_->database());
        for (int n = 1; n <= WurdCount && n <= kMaxWurds; ++n)
            if (WurdRecNums[n] > 0) rows_->DeleteWurd(WurdRecNums[n]);
        tx.commit();
    }
    StopTimes.fill(0);
    DestroyAllWurds();
    WurdCount = 0;
    CurrentWurd = 0;
}

void TFrame::DestroyAllWurds() {
    for (TWurd* w : wurdBoxes_) delete w;
    wurdBoxes_.clear();
    shpWOutline->move(sbWurdsBox->width() + 1, shpWOutline->y());
}

TWurd* TFrame::CreateWurd(int n) {
    auto* w = new TWurd(n, sbWurdsBox);
    w->setFont(TextBox->font());
    connect(w, &TWurd::clicked, this, &TFrame::WurdClick);
    wurdBoxes_.push_back(w);
    w->show();
    return w;
}

void TFrame::AdjustWurdsNumber() {
    // Boxes 1..WurdCount, word n in box n-1. The boxes of the page before are
    // taken again as they are (making 150 edits costs more than the rest of
    // a page change); each is reset to a fresh box first.
    WurdCount = std::clamp(WurdCount, 0, kMaxWurds);
    while (int(wurdBoxes_.size()) > WurdCount) {
        delete wurdBoxes_.back();
        wurdBoxes_.pop_back();
    }
    for (size_t k = 0; k < wurdBoxes_.size(); ++k) {
        TWurd* w = wurdBoxes_[k];
        w->Tag = int(k) + 1;
        w->setFont(TextBox->font());
        w->setPalette(sbWurdsBox->palette());
        w->setToolTip(QString());
        w->clear();
    }
    for (int n = int(wurdBoxes_.size()) + 1; n <= WurdCount; ++n) CreateWurd(n);
    shpWOutline->move(sbWurdsBox->width() + 1, shpWOutline->y());
}

void TFrame::AssignWurdComponentNums() {
    for (int n = 1; n <= WurdCount; ++n) {
        if (n - 1 < int(wurdBoxes_.size()) && wurdBoxes_[n - 1]->Tag == n) {
            WurdComponentNums[n] = n - 1;
            continue;
        }
        bool found = false;
        for (size_t k = 0; k < wurdBoxes_.size(); ++k)
            if (wurdBoxes_[k]->Tag == n) {
                WurdComponentNums[n] = int(k);
                found = true;
                break;
            }
        if (!found && dialogs_) dialogs_->error(texts::WurdDoesNotExist(n));
    }
}

void TFrame::AlignWurds() {
    std::vector<FlowWurd> flow;
    flow.reserve(size_t(WurdCount));
    for (int n = 1; n <= WurdCount; ++n) {
        TWurd* w = wurd(n);
        if (!w) return;
        flow.push_back(FlowWurd{w->text(), w->font(), w->geometry()});
    }
    const std::vector<QRect> placed = vellora::AlignWurds(flow, sbWurdsBox->width(), *measurer_);
    for (int n = 1; n <= WurdCount && n <= int(placed.size()); ++n) wurd(n)->setGeometry(placed[size_t(n - 1)]);
    ParkTestWurd();
    if (CurrentWurd >= 1 && CurrentWurd <= WurdCount) DrawAWurd(CurrentWurd, WurdColor::White, 1);
}

void TFrame::DrawAWurd(int n, WurdColor color, int mode) {
    if (wurdBoxes_.empty()) return;
    TWurd* w = wurd(n);
    if (!w) return;
    if (mode == 0) shpWOutline->move(sbWurdsBox->width() + 1, shpWOutline->y());
    if (mode == 1) shpWOutline->setGeometry(w->geometry().adjusted(-1, -1, 1, 1));
    QPalette p = w->palette();
    p.setColor(QPalette::Base, backgroundOf(color));
    p.setColor(QPalette::Window, backgroundOf(color));
    w->setPalette(p);
    w->repaint();
    shpWOutline->lower();
    shpWOutline->show();
    shpWOutline->repaint();
}

// Word rows ---------------------------------------------------------------------

void TFrame::LoadWurdRecordPointers(qint64 pageRegNum) {
    WurdRecNums.fill(0);
    if (!rows_ || WurdCount < 1) return;
    const std::vector<qint64> keys = rows_->WurdRecNums(pageRegNum, WurdCount);
    for (int n = 1; n <= WurdCount && n < int(keys.size()); ++n) WurdRecNums[n] = keys[size_t(n)];
}

void TFrame::LoadWurds(int currentPage) {
    if (PageMode == QLatin1String("q") || !rows_) return;
    NeedsAlign = false;
    Frozen.fill(false);
    // The page's rows in one read, found again by their keys.
    std::unordered_map<qint64, WurdData> byKey;
    if (state_ && WurdCount > 0)
        for (const std::optional<WurdData>& row : rows_->LoadWurds(state_->PageRegNum, WurdCount))
            if (row) byKey.emplace(row->WurdRegNum, *row);
    for (int n = 1; n <= WurdCount; ++n) {
        if (WurdRecNums[n] == 0) {
            if (dialogs_) dialogs_->error(texts::WurdRecordNumberZero(n));
            continue;
        }
        const auto found = byKey.find(WurdRecNums[n]);
        if (found != byKey.end())
            showWurdRow(n, found->second, currentPage);
        else
            LoadWurdRecord(n, WurdRecNums[n], currentPage);
    }
    if (NeedsAlign) AlignWurds();
}

void TFrame::LoadWurdRecord(int n, qint64 wurdRegNum, int currentPage) {
    if (const std::optional<WurdData> row = rows_->LoadWurd(wurdRegNum)) showWurdRow(n, *row, currentPage);
}

void TFrame::showWurdRow(int n, const WurdData& data, int currentPage) {
    const WurdData* row = &data;
    TWurd* w = wurd(n);
    if (!w) return;
    QFont font = w->font();
    font.setFamily(row->WFontName);
    if (row->WFontSize > 0) font.setPointSize(int(row->WFontSize));
    font = FontWithStyle(font, row->WFontStyle);
    // Most words share one font and colour: setting them again costs time.
    if (w->font() != font) w->setFont(font);
    const QColor color = ColorOfCode(row->WFontColor);
    if (w->palette().color(QPalette::Text) != color) {
        QPalette p = w->palette();
        p.setColor(QPalette::Text, color);
        w->setPalette(p);
    }
    QString text = row->WText;
    // The first page widens narrow words with leading blanks so that they
    // are easy to click; the re-flow then gives them their new width.
    if (currentPage == 1 && row->WWide < kNarrowWurdWidth) {
        NeedsAlign = true;
        int x = 0;
        text = MeasureWurd(QLatin1Char(' ') + text, font, *measurer_, x, 0, true).text;
    }
    w->setGeometry(int(row->WLeft), int(row->WTop), int(row->WWide), int(row->WTall));
    w->setText(text);
    w->setCursorPosition(0);
    StopTimes[n] = row->WStopTime;
}

void TFrame::SaveWurdRecords(qint64 pageRegNum) {
    if (!state_ || !rows_ || !state_->SaveOnPageChange || PageMode == QLatin1String("q") || WurdCount <= 0) return;
    std::vector<WurdData> words;
    words.reserve(size_t(WurdCount));
    for (int n = 1; n <= WurdCount; ++n) {
        TWurd* w = wurd(n);
        if (!w) continue;
        WurdData d;
        d.WurdRegNum = WurdRecNums[n];
        d.PageRegNum = pageRegNum;
        d.WurdNumber = n;
        d.WStopTime = StopTimes[n];
        d.WFontName = w->font().family();
        d.WFontSize = w->font().pointSize();
        d.WFontColor = CodeOfColor(w->palette().color(QPalette::Text));
        d.WFontStyle = StyleCodeOf(StyleOfFont(w->font()));
        d.WLeft = w->x();
        d.WTop = w->y();
        d.WWide = w->width();
        d.WTall = w->height();
        d.WHint = w->toolTip();
        d.WText = w->text();
        words.push_back(d);
    }
    const std::vector<qint64> missing = rows_->SaveWurds(words);
    if (dialogs_)
        for (qint64 r : missing) dialogs_->message(MsgKind::Confirmation, texts::WurdNotFound(r), MsgButtons::Ok);
}

}  // namespace vellora
