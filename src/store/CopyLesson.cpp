#include "CopyLesson.h"

#include <sqlite3.h>

#include <QDir>
#include <QFileInfo>
#include <memory>
#include <optional>

#include "FileNames.h"
#include "HandleDataBase.h"
#include "LessonNumbers.h"
#include "MediaRenumbering.h"
#include "StatusLine.h"
#include "StoreError.h"
#include "Table.h"
#include "Texts.h"

namespace vellora {
namespace {

constexpr int kTransferringString = 26;  // "Transferring the database to "

qint64 integerOf(const QVariant& v) {
    if (v.isNull()) return 0;
    if (v.typeId() == QMetaType::QString) return v.toString().trimmed().toLongLong();
    return v.toLongLong();
}

bool flagOf(const QVariant& v) {
    return !v.isNull() && v.toBool();
}

int pos(TableId id, const char* field) {
    return fieldIndex(tableDef(id), QLatin1String(field));
}

QString quoted(const char* name) {
    return QLatin1Char('"') + QLatin1String(name) + QLatin1Char('"');
}

// The word or choice rows of every page of one lesson, ordered by page and
// then by key, read in one pass over the table. The pages are walked in key
// order too, so each page takes its rows off the front of this stream and the
// whole copy stays linear in the number of rows.
class ChildRows {
  public:
    ChildRows(Database& db, TableId id, qint64 lesnRegNum)
        : def_(tableDef(id)), row_(def_.fields.size()) {
        QStringList cols;
        for (const auto& f : def_.fields) cols << quoted(f.name);
        const QString sql =
            QStringLiteral(
                "SELECT %1 FROM %2 WHERE \"PageRegNum\" IN (SELECT \"PageRegNum\" FROM %3 WHERE "
                "\"LesnRegNum\"=?) ORDER BY \"PageRegNum\", %4")
                .arg(cols.join(QLatin1Char(',')), db.qualifiedName(id),
                     db.qualifiedName(TableId::Page), quoted(def_.fields[0].name));
        stmt_ = db.prepare(sql);
        sqlite3_bind_int64(stmt_->get(), 1, lesnRegNum);
        advance();
    }

    bool valid() const { return valid_; }
    qint64 page() const { return page_; }
    const QVariant& field(int i) const { return row_[size_t(i)]; }

    void advance() {
        valid_ = stmt_->step();
        if (!valid_) return;
        for (size_t i = 0; i < row_.size(); ++i)
            row_[i] = columnValue(*stmt_, int(i), def_.fields[i].type);
        page_ = integerOf(row_[1]);
    }
    // Drops the rows of pages before `page`: those of pages of the other kind.
    void skipBefore(qint64 page) {
        while (valid_ && page_ < page) advance();
    }

  private:
    const TableDef& def_;
    std::unique_ptr<Statement> stmt_;
    std::vector<QVariant> row_;
    bool valid_ = false;
    qint64 page_ = 0;
};

class Copier {
  public:
    Copier(Database& source, Database& destination, CopyDirection direction,
           const CopyLessonOptions& options)
        : source_(source),
          destination_(destination),
          in_(direction == CopyDirection::In),
          options_(options),
          status_(options.status ? *options.status : silent_),
          lesn_(destination, TableId::Lesn),
          page_(destination, TableId::Page),
          wurd_(destination, TableId::Wurd),
          choice_(destination, TableId::Choice) {}

    CopyLessonResult run(qint64 sourceLesson) {
        const QString destinationName = options_.destinationName.isEmpty()
                                            ? QDir::toNativeSeparators(destination_.directory())
                                            : options_.destinationName;
        status_.Status(QString(), destinationName, kTransferringString);
        checkKeys(destinationName);

        Table sourceLesn(source_, TableId::Lesn, true);
        // "in" takes the package's lesson whatever its number.
        if (!sourceLesn.findKey(sourceLesson) && (!in_ || !sourceLesn.first()))
            throw HDDBExeption(texts::kSrcLesnRegNumMissing);

        CopyLessonResult result;
        std::optional<MediaRenumbering> media;
        if (in_) {
            result.scratchDirectory = source_.directory();
            media.emplace(source_.directory(), options_.renameFile);
        }
        media_ = media ? &*media : nullptr;

        Database::Transaction transaction(destination_);
        // The new lesson's directory must be its own.
        if (in_ && !options_.programDir.isEmpty())
            result.skippedDirectories = SkipTakenLessonNumbers(destination_, options_.programDir);
        const qint64 oldLesn = sourceLesn.key();
        const qint64 newLesn = copyRow(lesn_, sourceLesn, -1, 0);
        result.lesnRegNum = newLesn;
        if (in_) {
            result.lessonDirectory = LessonDirectory(options_.programDir, newLesn);
            lesn_.edit();
            lesn_.setString(QStringLiteral("DirPath"), result.lessonDirectory);
            lesn_.post();
            if (flagOf(sourceLesn.field(pos(TableId::Lesn, "LessonSoundFile"))))
                media_->add(media::kLessonSound, media::kWav, oldLesn, newLesn);
            if (integerOf(sourceLesn.field(pos(TableId::Lesn, "Background"))) ==
                media::kBackgroundPicture)
                media_->add(media::kBackground, media::kBmp, oldLesn, newLesn);
        }
        copyPages(oldLesn, newLesn, result);

        if (media_) {
            media_->apply();
            try {
                transaction.commit();
            } catch (...) {
                media_->undo();
                throw;
            }
            media_->finish();
            result.mediaRenamed = media_->renamed();
        } else {
            transaction.commit();
        }
        return result;
    }

  private:
    // "in" needs keys assigned by the destination; "out" keeps the keys, so it
    // needs tables that take them as written.
    void checkKeys(const QString& destinationName) const {
        for (TableId id : kAllTables) {
            if (destination_.autoIncKeys(id) != in_)
                throw HDDBExeption((in_ ? texts::kCopyNeedsStoreKeys : texts::kCopyNeedsCallerKeys)
                                       .arg(destinationName));
        }
    }

    // Copies `row` field by field (both tables have the same fields in the same
    // order) into a new row of `table` and answers its key. In the "in"
    // direction the store assigns the key and the parent reference at
    // `parentPos` becomes `newParent`.
    template <class Row>
    qint64 copyRow(Table& table, const Row& row, int parentPos, qint64 newParent) {
        const int n = int(table.def().fields.size());
        table.append();
        for (int i = in_ ? 1 : 0; i < n; ++i) table.setField(i, row.field(i));
        if (in_ && parentPos > 0) table.setField(parentPos, QVariant(newParent));
        table.post();
        return table.key();
    }

    void copyPages(qint64 oldLesn, qint64 newLesn, CopyLessonResult& result) {
        static const int pageLesn = pos(TableId::Page, "LesnRegNum");
        static const int pageType = pos(TableId::Page, "PageType");
        static const int picture = pos(TableId::Page, "Picture");
        static const int video = pos(TableId::Page, "Video");
        static const int pageSound = pos(TableId::Page, "PageSoundFile");
        static const int wurdPage = pos(TableId::Wurd, "PageRegNum");
        static const int wurdSound = pos(TableId::Wurd, "WSoundFile");
        static const int choicePage = pos(TableId::Choice, "PageRegNum");
        static const int choiceSound = pos(TableId::Choice, "ChoiceSound");
        static const int responseSound = pos(TableId::Choice, "ResponseSound");

        Query pages(source_, TableId::Page, QStringLiteral("LesnRegNum"), oldLesn);
        ChildRows wurds(source_, TableId::Wurd, oldLesn);
        ChildRows choices(source_, TableId::Choice, oldLesn);
        int pageCounter = 0;
        for (bool more = pages.first(); more; more = pages.next()) {
            ++pageCounter;
            status_.Status(QString(), texts::kCopyPage.arg(pageCounter), kTransferringString);
            const qint64 oldPage = integerOf(pages.field(0));
            const qint64 newPage = copyRow(page_, pages, pageLesn, newLesn);
            ++result.pages;
            if (media_) {
                if (flagOf(pages.field(picture)))
                    media_->add(media::kPicture, media::kBmp, oldPage, newPage);
                if (flagOf(pages.field(video)))
                    media_->add(media::kVideo, media::kWav, oldPage, newPage);
                if (flagOf(pages.field(pageSound)))
                    media_->add(media::kPageSound, media::kWav, oldPage, newPage);
            }

            wurds.skipBefore(oldPage);
            choices.skipBefore(oldPage);
            if (integerOf(pages.field(pageType)) > 0) {
                int choiceCounter = 0;
                for (; choices.valid() && choices.page() == oldPage; choices.advance()) {
                    ++choiceCounter;
                    status_.Status(QString(),
                                   texts::kCopyPageChoice.arg(pageCounter).arg(choiceCounter),
                                   kTransferringString);
                    const qint64 oldChoice = integerOf(choices.field(0));
                    const qint64 newChoice = copyRow(choice_, choices, choicePage, newPage);
                    ++result.choices;
                    if (media_) {
                        if (flagOf(choices.field(choiceSound)))
                            media_->add(media::kChoiceSound, media::kWav, oldChoice, newChoice);
                        if (flagOf(choices.field(responseSound)))
                            media_->add(media::kResponseSound, media::kWav, oldChoice, newChoice);
                    }
                }
            } else {
                int wordCounter = 0;
                for (; wurds.valid() && wurds.page() == oldPage; wurds.advance()) {
                    ++wordCounter;
                    status_.Status(texts::kCopyingPrefix,
                                   texts::kCopyPageWord.arg(pageCounter).arg(wordCounter),
                                   kTransferringString);
                    const qint64 oldWurd = integerOf(wurds.field(0));
                    const qint64 newWurd = copyRow(wurd_, wurds, wurdPage, newPage);
                    ++result.wurds;
                    if (media_ && flagOf(wurds.field(wurdSound)))
                        media_->add(media::kWurdSound, media::kWav, oldWurd, newWurd);
                }
            }
        }
    }

    Database& source_;
    Database& destination_;
    const bool in_;
    const CopyLessonOptions& options_;
    SilentStatusLine silent_;
    StatusLine& status_;
    Table lesn_, page_, wurd_, choice_;
    MediaRenumbering* media_ = nullptr;
};

bool sameDirectory(const QString& a, const QString& b) {
    const QString ca = QFileInfo(a).canonicalFilePath();
    const QString cb = QFileInfo(b).canonicalFilePath();
    if (!ca.isEmpty() && !cb.isEmpty()) return ca == cb;
    return QDir::cleanPath(a) == QDir::cleanPath(b);
}

}  // namespace

CopyDirection CopyDirectionFromText(const QString& text) {
    if (text == QLatin1String("out")) return CopyDirection::Out;
    if (text == QLatin1String("in")) return CopyDirection::In;
    throw HDDBExeption(texts::kSrcLesnRegNumMissing);
}

CopyLessonResult CopyLesson(Database& source, qint64 sourceLesson, Database& destination,
                            CopyDirection direction, const CopyLessonOptions& options) {
    Copier copier(source, destination, direction, options);
    return copier.run(sourceLesson);
}

CopyLessonResult CopyLesson(HandleDataBase& hdb, const QString& sourceDatabase, qint64 sourceLesson,
                            const QString& destinationDatabase, const QString& direction,
                            StatusLine* status) {
    const CopyDirection dir = CopyDirectionFromText(direction);
    std::unique_ptr<Database> opened[2];
    auto databaseFor = [&](const QString& name, Database::Mode mode, int slot) -> Database& {
        const QString directory = Database::resolve(name, &hdb.aliases());
        if (hdb.DataBaseOpen() && sameDirectory(directory, hdb.database().directory()))
            return hdb.database();
        opened[slot] = std::make_unique<Database>(directory, mode);
        return *opened[slot];
    };
    Database& source = databaseFor(sourceDatabase, Database::Mode::ReadOnly, 0);
    Database& destination = databaseFor(destinationDatabase, Database::Mode::ReadWrite, 1);
    CopyLessonOptions options;
    options.programDir = hdb.programDir();
    options.status = status;
    options.destinationName = destinationDatabase;
    return CopyLesson(source, sourceLesson, destination, dir, options);
}

}  // namespace vellora
