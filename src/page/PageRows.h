#pragma once

#include <QString>
#include <optional>
#include <span>
#include <vector>

namespace vellora {

class Database;
class Table;

// A page row as the page records read and write it. Colours are the stored
// ColorCode (a code outside 0..15 is kept as it is; text that is no number
// reads as -1, so it shows as an unknown colour), styles the StyleCode.
struct PageData {
    qint64 PageRegNum = 0;
    qint64 LesnRegNum = 0;
    int PageNumber = 0;
    int PageType = 0;  // 0 reading page, above 0 question page
    int Wurds = 0;
    int Choices = 0;
    bool Video = false;
    bool Picture = false;
    bool PageSoundFile = false;
    bool VideoControl = false;
    QString FontName;
    int FontSize = 0;
    int FontColor = 0;
    int FontStyle = 0;
    QString EFontName;
    int EFontSize = 0;
    int EFontColor = 0;
    int EFontStyle = 0;
    bool ShowScore = false;
    QString StimulusText;

    bool operator==(const PageData&) const = default;
};

// A word row. WStopTime keeps the whole stored value; the page window takes
// its low 16 bits when it loads a page.
struct WurdData {
    qint64 WurdRegNum = 0;
    qint64 PageRegNum = 0;
    int WurdNumber = 0;
    QString WText;
    int WLeft = 0;
    int WTop = 0;
    int WWide = 0;
    int WTall = 0;
    QString WHint;
    qint64 WStopTime = 0;
    QString WFontName;
    int WFontSize = 0;
    int WFontColor = 0;
    int WFontStyle = 0;
    bool WSoundFile = false;

    bool operator==(const WurdData&) const = default;
};

// A choice row of a question page.
struct ChoiceData {
    qint64 ChoiceRegNum = 0;
    qint64 PageRegNum = 0;
    QString ChoiceText;
    QString ResponseText;
    bool ChoiceSound = false;
    bool ResponseSound = false;
    int Enumerator = 0;  // above 0 fixed (the slot saved from), 0 free, -1 never saved
    int Correctness = 0;
    int Response1Type = 0, Remediate1Type = 0, Action1Type = 0;
    int Response2Type = 0, Remediate2Type = 0, Action2Type = 0;
    int Show1Page = 0, Jump1Page = 0, Show2Page = 0, Jump2Page = 0;

    bool operator==(const ChoiceData&) const = default;
};

// The row work of pages, their words and new choice rows, on the main
// window's four open tables. Lookups by page or word number use the tables'
// lookup indexes and answer what a walk in key order would (the first match).
// Store errors (a value the table refuses) are thrown as StoreError; the row
// being written is then dropped, so the table is not left in edit state.
class PageRows {
public:
    PageRows(Table& lesnTable, Table& pageTable, Table& wurdTable, Table& choiceTable);

    // Lookups. 0 when there is no such row.
    qint64 PageRecord(qint64 lesn, int pageNumber);
    qint64 WurdRecord(int n, qint64 pageRegNum);
    // Entry n (1..count) is WurdRecord(n, pageRegNum); entry 0 is unused.
    std::vector<qint64> WurdRecNums(qint64 pageRegNum, int count);

    // The page numbers of the lesson's rows, ascending (duplicates kept).
    std::vector<int> PageNumbersOfLesson(qint64 lesn);
    int PageCountOfLesson(qint64 lesn);
    int MaxPageNumber(qint64 lesn);  // 0 without pages
    // The lesson's rows are pages 1..pages, each exactly once.
    bool PagesMatch(qint64 lesn, int pages);

    // New pages. ReservePageRecord answers the new row's key.
    qint64 ReservePageRecord(qint64 lesn, int pageNumber, bool reading);
    // The defaults of a new page, the fonts from the lesson row of `lesn`
    // (the lesson table's row buffer when it stands on that lesson, so that
    // changes not yet saved count). False when the page row is missing.
    bool FillNewPage(qint64 key, bool question, qint64 lesn);
    // Appends choice row n (1..4) of a new question page; answers its key.
    qint64 CreateChoiceRec(qint64 pageKey, int n);
    // Reserve, choice rows and defaults of a new page of `kind` in one
    // transaction: PageType 0 for "r", else 1; choice rows and question
    // defaults only for "q". Answers the new page's key.
    qint64 MakeNewPageRows(qint64 lesn, int pageNumber, const QString& kind);

    std::optional<PageData> LoadPage(qint64 key);
    // Writes what leaving a page of that kind saves; never PageType or
    // LesnRegNum. A row that would not change is left alone. False when the
    // row is missing.
    bool SavePage(qint64 key, const PageData& page, bool question);

    // A new word row with every field of `wurd` but the key; answers the key.
    qint64 NewWurdRecord(const WurdData& wurd);
    std::optional<WurdData> LoadWurd(qint64 key);
    // Entry n (1..count) is the row of WurdRecord(n, pageRegNum), read in one
    // statement; entry 0 and numbers without a row are empty.
    std::vector<std::optional<WurdData>> LoadWurds(qint64 pageRegNum, int count);
    // Writes everything but the key and WSoundFile (set only by choosing or
    // recording the word's sound); a row that would not change is left
    // alone. False when the row is missing.
    bool SaveWurd(qint64 key, const WurdData& wurd);
    bool DeleteWurd(qint64 key);
    // Saves each word under its WurdRegNum in one transaction: all of them or,
    // when the store refuses one, none. Answers the keys without a row (the
    // others are saved).
    std::vector<qint64> SaveWurds(std::span<const WurdData> wurds);
    // The page row and its words in one transaction. False, with nothing
    // written, when the page row is missing; `missingWurds` as for SaveWurds.
    bool SavePageWithWurds(qint64 key, const PageData& page, bool question, std::span<const WurdData> wurds,
                           std::vector<qint64>* missingWurds = nullptr);

    // One field of one row, written at once: a frozen stop time, the flags
    // saying a media file was made. False when the row is missing.
    enum class MediaFlag { WurdSound, PageVideo, ChoiceSound, ResponseSound };
    bool SetWurdStopTime(qint64 wurdRegNum, qint64 ms);
    bool SetMediaFlag(MediaFlag flag, qint64 key);
    // The choice rows of a page in the order they were made.
    std::vector<qint64> ChoiceKeysOfPage(qint64 pageRegNum);
    // The first four of them with their Enumerator, for dealing.
    std::vector<std::pair<qint64, int>> ChoiceEnumeratorsOfPage(qint64 pageRegNum);
    std::optional<ChoiceData> LoadChoice(qint64 key);
    // Writes everything but the key and the page; a row that would not
    // change is left alone. False when the row is missing.
    bool SaveChoice(qint64 key, const ChoiceData& choice);
    bool DeleteChoice(qint64 key);

    // The database of the tables, for work that spans several rows.
    Database& database() const;

private:
    // Sets an integer or (`flag`) logical field of row `key` and posts it.
    bool setField(Table& t, qint64 key, const QString& field, qint64 value, bool flag = false);

    Table& lesn_;
    Table& page_;
    Table& wurd_;
    Table& choice_;
};

}  // namespace vellora
