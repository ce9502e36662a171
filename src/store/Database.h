#pragma once

#include <QHash>
#include <QString>
#include <memory>

#include "Schema.h"
#include "StoreError.h"

struct sqlite3;
struct sqlite3_stmt;

namespace vellora {

class AliasRegistry;

// One prepared statement, reset when the holder goes out of scope.
class Statement {
public:
    Statement(sqlite3* db, sqlite3_stmt* stmt) : db_(db), stmt_(stmt) {}
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    ~Statement();

    sqlite3_stmt* get() const { return stmt_; }
    // Steps once: true when a row is ready, false when done; throws on errors.
    bool step();

private:
    sqlite3* db_;
    sqlite3_stmt* stmt_;
};

// A lesson database: a directory holding the four table files, opened together
// on one connection so that a change to several tables commits as one.
class Database {
public:
    enum class Mode { ReadWrite, ReadOnly };

    // Opens the database in `directory`. Throws StoreError: PathNotFound when
    // the directory is missing, TableDoesNotExist when a table file is missing,
    // NotADatabase when one is damaged or holds something else.
    Database(const QString& directory, Mode mode = Mode::ReadWrite);
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // The directory named by `nameOrPath`: an alias known to `aliases`
    // (case-insensitive) or a directory path (anything with a '/').
    // Throws StoreError UnknownDatabase for an unknown alias.
    static QString resolve(const QString& nameOrPath, const AliasRegistry* aliases);

    // Creates any of the four table files missing in `directory` (which must
    // exist) with keys assigned by the store (`autoIncKeys`) or by the caller.
    // Existing tables are kept as they are and their index rebuilt. Without
    // `durable` nothing waits for the disk: for a scratch database that is
    // thrown away after use (an export package).
    static void createTables(const QString& directory, bool autoIncKeys, bool durable = true);

    // Adds the lookup indexes that a database made before they existed
    // lacks (start-up repair). Nothing is done on a read-only connection.
    void ensureIndexes();

    // Commits wait for the disk unless this is cleared, for a scratch
    // database whose loss in a crash costs nothing (an export package).
    void setDurable(bool durable);

    const QString& directory() const { return directory_; }
    bool readOnly() const { return mode_ == Mode::ReadOnly; }
    bool autoIncKeys(TableId id) const;

    // "schema"."table" of a table on this connection.
    QString qualifiedName(TableId id) const;

    // A cached prepared statement for `sql`, ready to bind.
    std::unique_ptr<Statement> prepare(const QString& sql);
    void exec(const QString& sql);
    qint64 lastInsertRowId() const;

    // The key the store gives the next row of `id` (a table with store-assigned
    // keys): one above the highest it ever gave, which a rolled-back insert
    // does not count.
    qint64 nextKey(TableId id);
    // Makes the store give keys above `key` from now on (in the current
    // transaction, if one is open); never lowers what it would give.
    void reserveKeysThrough(TableId id, qint64 key);

    // Throws the StoreError for the connection's last error.
    [[noreturn]] void raise(int rc, const QString& context) const;

    // A transaction: rolled back unless commit() is called. Transactions nest.
    class Transaction {
    public:
        explicit Transaction(Database& db);
        ~Transaction();
        Transaction(const Transaction&) = delete;
        Transaction& operator=(const Transaction&) = delete;
        void commit();

    private:
        Database& db_;
        QString name_;
        bool done_ = false;
    };

private:
    void attachAll();
    void checkTables();

    QString directory_;
    Mode mode_;
    sqlite3* db_ = nullptr;
    QHash<QString, sqlite3_stmt*> cache_;
    bool autoInc_[4] = {true, true, true, true};
    int savepointDepth_ = 0;
};

// Full path of a table file inside a database directory.
QString tableFilePath(const QString& directory, TableId id);

}  // namespace vellora
