#include "PageRows.h"

#include <algorithm>
#include <array>
#include <utility>

#include "Database.h"
#include "PageRowTexts.h"
#include "StoreError.h"
#include "Table.h"

namespace vellora {
namespace {

// Field names, spelt once.
const QString kPageRegNum = QStringLiteral("PageRegNum");
const QString kLesnRegNum = QStringLiteral("LesnRegNum");
const QString kPageNumber = QStringLiteral("PageNumber");
const QString kPageType = QStringLiteral("PageType");
const QString kWurds = QStringLiteral("Wurds");
const QString kChoices = QStringLiteral("Choices");
const QString kHotSpots = QStringLiteral("HotSpots");
const QString kVideo = QStringLiteral("Video");
const QString kPicture = QStringLiteral("Picture");
const QString kPageSoundFile = QStringLiteral("PageSoundFile");
const QString kVideoControl = QStringLiteral("VideoControl");
const QString kShowScore = QStringLiteral("ShowScore");
const QString kStimulusText = QStringLiteral("StimulusText");
const QString kWurdNumber = QStringLiteral("WurdNumber");
const QString kWurdRegNum = QStringLiteral("WurdRegNum");
const QString kWSoundFile = QStringLiteral("WSoundFile");
const QString kWStopTime = QStringLiteral("WStopTime");
const QString kWText = QStringLiteral("WText");
const QString kWHint = QStringLiteral("WHint");

// A font as four fields named by a prefix: "" (the page text or stimulus),
// "E" (the choices), "W" (a word), "LDefault" (the lesson's default).
struct Font {
    QString name;
    int size = 0;
    int color = 0;
    int style = 0;
};

QString fontField(const QString& prefix, const char* part) { return prefix + QLatin1String(part); }

// A colour: a number in the lesson table, decimal text in the others. Blank
// reads 0 like any blank field; text that is no number reads as a code
// outside the palette. `Row` is a Table or a Query.
template <class Row>
int colorCode(const Row& r, const QString& field) {
    const int i = r.indexOf(field);
    if (r.field(i).isNull()) return 0;
    if (r.def().fields[size_t(i)].type != FieldType::Alpha) return int(r.asInteger(field));
    bool ok = false;
    const int code = r.asString(field).trimmed().toInt(&ok);
    return ok ? code : -1;
}

template <class Row>
Font readFont(const Row& r, const QString& prefix) {
    return {r.asString(fontField(prefix, "FontName")), int(r.asInteger(fontField(prefix, "FontSize"))),
            colorCode(r, fontField(prefix, "FontColor")), int(r.asInteger(fontField(prefix, "FontStyle")))};
}

// A font family longer than its field keeps its first characters, as the
// lesson's fonts do: a family name never makes a page unsavable.
QString fitted(const Table& t, const QString& field, const QString& text) {
    const int size = alphaSize(t.def(), field);
    return size > 0 ? text.left(size) : text;
}

// Only the page and word tables are written here: their colours are text.
void writeFont(Table& t, const QString& prefix, const Font& f) {
    const QString name = fontField(prefix, "FontName");
    t.setString(name, fitted(t, name, f.name));
    t.setInteger(fontField(prefix, "FontSize"), f.size);
    t.setString(fontField(prefix, "FontColor"), QString::number(f.color));
    t.setInteger(fontField(prefix, "FontStyle"), f.style);
}

// Posts the row being written; a refused row is dropped so that the table
// does not try to post it again on its next move.
void postOrDrop(Table& t) {
    try {
        t.post();
    } catch (const StoreError&) {
        t.cancel();
        throw;
    }
}

// The fields of the current row, to tell whether an edit changed anything.
std::vector<QVariant> fieldsOf(const Table& t) {
    std::vector<QVariant> fields;
    for (size_t i = 0; i < t.def().fields.size(); ++i) fields.push_back(t.field(int(i)));
    return fields;
}

// Posts an edit that changed a field and drops one that did not: every
// commit waits for the disk, and leaving a page unchanged should not.
void postIfChanged(Table& t, const std::vector<QVariant>& stored) {
    if (fieldsOf(t) == stored)
        t.cancel();
    else
        postOrDrop(t);
}

Font lessonDefaultFont(Table& lesn, Database& db, qint64 lesnRegNum) {
    const QString prefix = QStringLiteral("LDefault");
    if (lesn.hasCurrent() && lesn.state() != Table::State::Insert && lesn.key() == lesnRegNum)
        return readFont(lesn, prefix);
    // Another row is current: read the stored row without moving the cursor.
    Query row(db, TableId::Lesn, kLesnRegNum, lesnRegNum);
    return row.first() ? readFont(row, prefix) : Font{};
}

template <class Row>
WurdData readWurd(const Row& r) {
    const Font f = readFont(r, QStringLiteral("W"));
    WurdData w;
    w.WurdRegNum = r.asInteger(kWurdRegNum);
    w.PageRegNum = r.asInteger(kPageRegNum);
    w.WurdNumber = int(r.asInteger(kWurdNumber));
    w.WText = r.asString(kWText);
    w.WLeft = int(r.asInteger(QStringLiteral("WLeft")));
    w.WTop = int(r.asInteger(QStringLiteral("WTop")));
    w.WWide = int(r.asInteger(QStringLiteral("WWide")));
    w.WTall = int(r.asInteger(QStringLiteral("WTall")));
    w.WHint = r.asString(kWHint);
    w.WStopTime = r.asInteger(kWStopTime);
    w.WFontName = f.name;
    w.WFontSize = f.size;
    w.WFontColor = f.color;
    w.WFontStyle = f.style;
    w.WSoundFile = r.asBoolean(kWSoundFile);
    return w;
}

void writeWurd(Table& t, const WurdData& w) {
    t.setInteger(kWurdNumber, w.WurdNumber);
    t.setInteger(kPageRegNum, w.PageRegNum);
    t.setInteger(kWStopTime, w.WStopTime);
    writeFont(t, QStringLiteral("W"), {w.WFontName, w.WFontSize, w.WFontColor, w.WFontStyle});
    t.setInteger(QStringLiteral("WLeft"), w.WLeft);
    t.setInteger(QStringLiteral("WTop"), w.WTop);
    t.setInteger(QStringLiteral("WWide"), w.WWide);
    t.setInteger(QStringLiteral("WTall"), w.WTall);
    t.setString(kWHint, w.WHint);
    t.setString(kWText, w.WText);
}

}  // namespace

PageRows::PageRows(Table& lesnTable, Table& pageTable, Table& wurdTable, Table& choiceTable)
    : lesn_(lesnTable), page_(pageTable), wurd_(wurdTable), choice_(choiceTable) {}

Database& PageRows::database() const { return page_.database(); }

// ------------------------------------------------------------------ lookups

qint64 PageRows::PageRecord(qint64 lesn, int pageNumber) {
    return page_.findBy(kLesnRegNum, lesn, kPageNumber, pageNumber) ? page_.key() : 0;
}

qint64 PageRows::WurdRecord(int n, qint64 pageRegNum) {
    return wurd_.findBy(kPageRegNum, pageRegNum, kWurdNumber, n) ? wurd_.key() : 0;
}

std::vector<qint64> PageRows::WurdRecNums(qint64 pageRegNum, int count) {
    std::vector<qint64> keys(size_t(std::max(count, 0)) + 1, 0);
    // Ordered by number, then key: the first key met for a number is its row.
    for (const auto& k : wurd_.keysBy(kPageRegNum, pageRegNum, kWurdNumber))
        if (k.value >= 1 && k.value <= count && keys[size_t(k.value)] == 0) keys[size_t(k.value)] = k.key;
    return keys;
}

std::vector<int> PageRows::PageNumbersOfLesson(qint64 lesn) {
    std::vector<int> numbers;
    for (const auto& k : page_.keysBy(kLesnRegNum, lesn, kPageNumber)) numbers.push_back(int(k.value));
    return numbers;
}

int PageRows::PageCountOfLesson(qint64 lesn) { return int(PageNumbersOfLesson(lesn).size()); }

int PageRows::MaxPageNumber(qint64 lesn) {
    const auto numbers = PageNumbersOfLesson(lesn);
    return numbers.empty() ? 0 : std::max(numbers.back(), 0);
}

bool PageRows::PagesMatch(qint64 lesn, int pages) {
    const auto numbers = PageNumbersOfLesson(lesn);
    if (int(numbers.size()) != std::max(pages, 0)) return false;
    for (size_t i = 0; i < numbers.size(); ++i)
        if (numbers[i] != int(i) + 1) return false;
    return true;
}

// ---------------------------------------------------------------- new pages

qint64 PageRows::ReservePageRecord(qint64 lesn, int pageNumber, bool reading) {
    page_.append();
    page_.setInteger(kLesnRegNum, lesn);
    page_.setInteger(kPageNumber, pageNumber);
    page_.setInteger(kPageType, reading ? 0 : 1);
    postOrDrop(page_);
    return page_.key();
}

bool PageRows::FillNewPage(qint64 key, bool question, qint64 lesn) {
    // Read before the page table moves: the lesson buffer stays as it is.
    Font font = lessonDefaultFont(lesn_, database(), lesn);
    // New pages start plain whatever the lesson's default style.
    font.style = 0;
    if (!page_.findKey(key)) return false;
    page_.edit();
    if (question) {
        page_.setInteger(kChoices, 2);
        writeFont(page_, QStringLiteral("E"), font);
        page_.setBoolean(kShowScore, false);
        page_.setString(kStimulusText, texts::kNewStimulusText);
    } else {
        page_.setInteger(kChoices, 0);
    }
    for (const QString& flag : {kVideo, kPicture, kPageSoundFile, kVideoControl}) page_.setBoolean(flag, false);
    page_.setInteger(kWurds, 0);
    page_.setInteger(kHotSpots, 0);
    writeFont(page_, QString(), font);
    postOrDrop(page_);
    return true;
}

qint64 PageRows::CreateChoiceRec(qint64 pageKey, int n) {
    Table& c = choice_;
    c.append();
    c.setInteger(kPageRegNum, pageKey);
    c.setString(QStringLiteral("ChoiceText"), texts::kNewChoiceText + QString::number(n));
    c.setString(QStringLiteral("ResponseText"), texts::kNewResponseText + QString::number(n));
    c.setBoolean(QStringLiteral("ChoiceSound"), false);
    c.setBoolean(QStringLiteral("ResponseSound"), false);
    // Rows 3 and 4 are marked as never saved, so dealing avoids them while
    // the page shows two choices.
    c.setInteger(QStringLiteral("Enumerator"), n < 3 ? 0 : -1);
    for (const char* f : {"Correctness", "Response1Type", "Response2Type", "Remediate1Type", "Remediate2Type",
                          "Action1Type", "Action2Type", "Show1Page", "Jump1Page", "Show2Page", "Jump2Page"})
        c.setInteger(QString::fromLatin1(f), 0);
    postOrDrop(c);
    return c.key();
}

qint64 PageRows::MakeNewPageRows(qint64 lesn, int pageNumber, const QString& kind) {
    const bool question = kind == QLatin1String("q");
    Database::Transaction tx(database());
    const qint64 key = ReservePageRecord(lesn, pageNumber, kind == QLatin1String("r"));
    if (question)
        for (int n = 1; n <= 4; ++n) CreateChoiceRec(key, n);
    FillNewPage(key, question, lesn);
    tx.commit();
    return key;
}

// -------------------------------------------------------------------- pages

std::optional<PageData> PageRows::LoadPage(qint64 key) {
    Table& t = page_;
    if (!t.findKey(key)) return std::nullopt;
    PageData p;
    p.PageRegNum = t.key();
    p.LesnRegNum = t.asInteger(kLesnRegNum);
    p.PageNumber = int(t.asInteger(kPageNumber));
    p.PageType = int(t.asInteger(kPageType));
    p.Wurds = int(t.asInteger(kWurds));
    p.Choices = int(t.asInteger(kChoices));
    p.Video = t.asBoolean(kVideo);
    p.Picture = t.asBoolean(kPicture);
    p.PageSoundFile = t.asBoolean(kPageSoundFile);
    p.VideoControl = t.asBoolean(kVideoControl);
    const Font text = readFont(t, QString());
    p.FontName = text.name;
    p.FontSize = text.size;
    p.FontColor = text.color;
    p.FontStyle = text.style;
    const Font choices = readFont(t, QStringLiteral("E"));
    p.EFontName = choices.name;
    p.EFontSize = choices.size;
    p.EFontColor = choices.color;
    p.EFontStyle = choices.style;
    p.ShowScore = t.asBoolean(kShowScore);
    p.StimulusText = t.asString(kStimulusText);
    return p;
}

bool PageRows::SavePage(qint64 key, const PageData& p, bool question) {
    Table& t = page_;
    if (!t.findKey(key)) return false;
    const auto stored = fieldsOf(t);
    t.edit();
    t.setBoolean(kVideoControl, p.VideoControl);
    t.setInteger(kPageNumber, p.PageNumber);
    t.setBoolean(kVideo, p.Video);
    t.setBoolean(kPicture, p.Picture);
    t.setBoolean(kPageSoundFile, p.PageSoundFile);
    if (question) {
        t.setBoolean(kShowScore, p.ShowScore);
        t.setString(kStimulusText, p.StimulusText);
        t.setInteger(kChoices, p.Choices);
        writeFont(t, QStringLiteral("E"), {p.EFontName, p.EFontSize, p.EFontColor, p.EFontStyle});
    } else {
        t.setInteger(kWurds, p.Wurds);
    }
    writeFont(t, QString(), {p.FontName, p.FontSize, p.FontColor, p.FontStyle});
    postIfChanged(t, stored);
    return true;
}

// -------------------------------------------------------------------- words

qint64 PageRows::NewWurdRecord(const WurdData& w) {
    wurd_.append();
    writeWurd(wurd_, w);
    wurd_.setBoolean(kWSoundFile, w.WSoundFile);
    postOrDrop(wurd_);
    return wurd_.key();
}

std::optional<WurdData> PageRows::LoadWurd(qint64 key) {
    if (!wurd_.findKey(key)) return std::nullopt;
    return readWurd(wurd_);
}

std::vector<std::optional<WurdData>> PageRows::LoadWurds(qint64 pageRegNum, int count) {
    std::vector<std::optional<WurdData>> wurds(size_t(std::max(count, 0)) + 1);
    if (pageRegNum == 0) {
        // Blank references read 0 too; the lookups know that.
        const auto keys = WurdRecNums(pageRegNum, count);
        for (size_t n = 1; n < keys.size(); ++n)
            if (keys[n] != 0) wurds[n] = LoadWurd(keys[n]);
        return wurds;
    }
    // One statement; rows in key order, so the first row met for a number is
    // the one the lookups find.
    Query rows(database(), TableId::Wurd, kPageRegNum, pageRegNum);
    for (bool ok = rows.first(); ok; ok = rows.next()) {
        const qint64 n = rows.asInteger(kWurdNumber);
        if (n >= 1 && n <= count && !wurds[size_t(n)]) wurds[size_t(n)] = readWurd(rows);
    }
    return wurds;
}

bool PageRows::SaveWurd(qint64 key, const WurdData& w) {
    if (!wurd_.findKey(key)) return false;
    // A word that reads back as it would be written is not written again:
    // leaving a page unchanged then waits for no disk.
    WurdData stored = readWurd(wurd_);
    stored.WurdRegNum = w.WurdRegNum;
    stored.WSoundFile = w.WSoundFile;
    if (stored == w) return true;
    wurd_.edit();
    writeWurd(wurd_, w);
    postOrDrop(wurd_);
    return true;
}

bool PageRows::DeleteWurd(qint64 key) {
    if (!wurd_.findKey(key)) return false;
    wurd_.remove();
    return true;
}

std::vector<qint64> PageRows::SaveWurds(std::span<const WurdData> wurds) {
    Database::Transaction tx(database());
    std::vector<qint64> missing;
    for (const WurdData& w : wurds)
        if (!SaveWurd(w.WurdRegNum, w)) missing.push_back(w.WurdRegNum);
    tx.commit();
    return missing;
}

bool PageRows::SavePageWithWurds(qint64 key, const PageData& page, bool question, std::span<const WurdData> wurds,
                                 std::vector<qint64>* missingWurds) {
    Database::Transaction tx(database());
    if (!SavePage(key, page, question)) return false;
    auto missing = SaveWurds(wurds);
    tx.commit();
    if (missingWurds) *missingWurds = std::move(missing);
    return true;
}

bool PageRows::setField(Table& t, qint64 key, const QString& field, qint64 value, bool flag) {
    if (key <= 0 || !t.findKey(key)) return false;
    t.edit();
    if (flag)
        t.setBoolean(field, value != 0);
    else
        t.setInteger(field, value);
    postOrDrop(t);
    return true;
}

bool PageRows::SetWurdStopTime(qint64 wurdRegNum, qint64 ms) { return setField(wurd_, wurdRegNum, kWStopTime, ms); }

bool PageRows::SetMediaFlag(MediaFlag flag, qint64 key) {
    switch (flag) {
        case MediaFlag::WurdSound: return setField(wurd_, key, kWSoundFile, 1, true);
        case MediaFlag::PageVideo: return setField(page_, key, kVideo, 1, true);
        case MediaFlag::ChoiceSound: return setField(choice_, key, QStringLiteral("ChoiceSound"), 1, true);
        case MediaFlag::ResponseSound: return setField(choice_, key, QStringLiteral("ResponseSound"), 1, true);
    }
    return false;
}

std::vector<qint64> PageRows::ChoiceKeysOfPage(qint64 pageRegNum) {
    std::vector<qint64> keys;
    for (const Table::OrderedKey& k : choice_.keysBy(kPageRegNum, pageRegNum, QStringLiteral("ChoiceRegNum")))
        keys.push_back(k.key);
    return keys;
}

namespace {
const char* const kChoiceInts[] = {"Enumerator",     "Correctness",    "Response1Type", "Remediate1Type",
                                   "Action1Type",    "Response2Type",  "Remediate2Type", "Action2Type",
                                   "Show1Page",      "Jump1Page",      "Show2Page",      "Jump2Page"};

std::array<int*, 12> choiceInts(ChoiceData& c) {
    return {&c.Enumerator,    &c.Correctness,    &c.Response1Type, &c.Remediate1Type,
            &c.Action1Type,   &c.Response2Type,  &c.Remediate2Type, &c.Action2Type,
            &c.Show1Page,     &c.Jump1Page,      &c.Show2Page,      &c.Jump2Page};
}
}  // namespace

std::vector<std::pair<qint64, int>> PageRows::ChoiceEnumeratorsOfPage(qint64 pageRegNum) {
    std::vector<std::pair<qint64, int>> rows;
    for (qint64 key : ChoiceKeysOfPage(pageRegNum)) {
        if (rows.size() == 4) break;
        if (choice_.findKey(key)) rows.emplace_back(key, int(choice_.asInteger(QStringLiteral("Enumerator"))));
    }
    return rows;
}

std::optional<ChoiceData> PageRows::LoadChoice(qint64 key) {
    Table& t = choice_;
    if (key <= 0 || !t.findKey(key)) return std::nullopt;
    ChoiceData c;
    c.ChoiceRegNum = t.key();
    c.PageRegNum = t.asInteger(kPageRegNum);
    c.ChoiceText = t.asString(QStringLiteral("ChoiceText"));
    c.ResponseText = t.asString(QStringLiteral("ResponseText"));
    c.ChoiceSound = t.asBoolean(QStringLiteral("ChoiceSound"));
    c.ResponseSound = t.asBoolean(QStringLiteral("ResponseSound"));
    const auto ints = choiceInts(c);
    for (size_t i = 0; i < ints.size(); ++i) *ints[i] = int(t.asInteger(QString::fromLatin1(kChoiceInts[i])));
    return c;
}

bool PageRows::SaveChoice(qint64 key, const ChoiceData& choice) {
    Table& t = choice_;
    if (key <= 0 || !t.findKey(key)) return false;
    const auto stored = fieldsOf(t);
    ChoiceData c = choice;
    t.edit();
    t.setString(QStringLiteral("ChoiceText"), c.ChoiceText);
    t.setString(QStringLiteral("ResponseText"), c.ResponseText);
    t.setBoolean(QStringLiteral("ChoiceSound"), c.ChoiceSound);
    t.setBoolean(QStringLiteral("ResponseSound"), c.ResponseSound);
    const auto ints = choiceInts(c);
    for (size_t i = 0; i < ints.size(); ++i) t.setInteger(QString::fromLatin1(kChoiceInts[i]), *ints[i]);
    postIfChanged(t, stored);
    return true;
}

bool PageRows::DeleteChoice(qint64 key) {
    if (key <= 0 || !choice_.findKey(key)) return false;
    choice_.remove();
    return true;
}

}  // namespace vellora
