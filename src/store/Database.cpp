#include "Database.h"

#include <sqlite3.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include "AliasRegistry.h"

namespace vellora {
namespace {

QString schemaOf(TableId id) {
    return id == TableId::Lesn ? QStringLiteral("main") : QString::fromLatin1(tableDef(id).name);
}

int slot(TableId id) { return static_cast<int>(id); }

QString uriFor(const QString& path, const char* mode) {
    return QStringLiteral("file:") + QString::fromLatin1(QUrl::toPercentEncoding(path, "/")) +
           QStringLiteral("?mode=") + QLatin1String(mode);
}

const char* modeOf(bool readOnly) { return readOnly ? "ro" : "rw"; }

StoreError::Code codeFor(int rc) {
    switch (rc & 0xff) {
        case SQLITE_NOTADB:
        case SQLITE_CORRUPT:
            return StoreError::Code::NotADatabase;
        case SQLITE_CONSTRAINT:
            return StoreError::Code::ConstraintFailed;
        case SQLITE_READONLY:
            return StoreError::Code::ReadOnly;
        default:
            return StoreError::Code::Io;
    }
}

[[noreturn]] void damaged(const QString& path, const QString& why) {
    throw StoreError(StoreError::Code::NotADatabase,
                     QStringLiteral("The table file %1 is damaged or is not a lesson table (%2).")
                         .arg(QDir::toNativeSeparators(path), why));
}

quint32 bigEndian(const unsigned char* p, int n) {
    quint32 v = 0;
    for (int i = 0; i < n; ++i) v = (v << 8) | p[i];
    return v;
}

// Checks the file header before the engine sees the file, so that a file that
// is not a database, or one cut short, is reported instead of being treated as
// an empty database and written over.
void checkHeader(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) damaged(path, QStringLiteral("it cannot be read"));
    const QByteArray h = f.read(100);
    if (h.size() < 100 || !h.startsWith(QByteArrayLiteral("SQLite format 3\0")))
        damaged(path, QStringLiteral("not a database"));
    const auto* p = reinterpret_cast<const unsigned char*>(h.constData());
    quint32 pageSize = bigEndian(p + 16, 2);
    if (pageSize == 1) pageSize = 65536;
    if (pageSize < 512 || (pageSize & (pageSize - 1)) != 0) damaged(path, QStringLiteral("bad header"));
    const quint32 changeCounter = bigEndian(p + 24, 4);
    const quint32 pages = bigEndian(p + 28, 4);
    const quint32 validFor = bigEndian(p + 92, 4);
    const qint64 size = f.size();
    if (size % pageSize != 0) damaged(path, QStringLiteral("truncated"));
    if (pages != 0 && changeCounter == validFor && size < qint64(pages) * pageSize)
        damaged(path, QStringLiteral("truncated"));
}

// The table's lookup indexes as statements to run, each ended by "; ".
QString indexSql(TableId id, const QString& schema) {
    QString sql;
    for (const QString& statement : createIndexSql(id, schema)) sql += statement + QStringLiteral("; ");
    return sql;
}

}  // namespace

QString tableFilePath(const QString& directory, TableId id) {
    return QDir(directory).filePath(QString::fromLatin1(tableDef(id).fileName));
}

// ---------------------------------------------------------------- Statement

Statement::~Statement() {
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
}

bool Statement::step() {
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    const QString msg = QString::fromUtf8(sqlite3_errmsg(db_));
    sqlite3_reset(stmt_);
    throw StoreError(codeFor(rc), msg);
}

// ----------------------------------------------------------------- Database

Database::Database(const QString& directory, Mode mode) : directory_(QDir::cleanPath(directory)), mode_(mode) {
    QFileInfo dir(directory_);
    if (directory_.isEmpty() || !dir.isDir())
        throw StoreError(StoreError::Code::PathNotFound,
                         QStringLiteral("Path not found: %1").arg(QDir::toNativeSeparators(directory_)));
    for (TableId id : kAllTables) {
        const QString file = tableFilePath(directory_, id);
        if (!QFileInfo::exists(file))
            throw StoreError(StoreError::Code::TableDoesNotExist,
                             QStringLiteral("Table does not exist: %1").arg(QDir::toNativeSeparators(file)));
        checkHeader(file);
    }
    const int flags = (readOnly() ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) | SQLITE_OPEN_URI |
                      SQLITE_OPEN_NOMUTEX;
    const QString mainFile = tableFilePath(directory_, TableId::Lesn);
    const int rc = sqlite3_open_v2(uriFor(mainFile, modeOf(readOnly())).toUtf8().constData(), &db_, flags, nullptr);
    if (rc != SQLITE_OK) {
        const QString msg = db_ ? QString::fromUtf8(sqlite3_errmsg(db_)) : QStringLiteral("out of memory");
        sqlite3_close(db_);
        db_ = nullptr;
        damaged(mainFile, msg);
    }
    // Files may come from elsewhere (an imported package): never run code that
    // a schema carries, and refuse writes that bypass the engine's checks.
    sqlite3_db_config(db_, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    sqlite3_db_config(db_, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
    sqlite3_extended_result_codes(db_, 1);
    try {
        attachAll();
        checkTables();
    } catch (...) {
        for (auto* s : std::as_const(cache_)) sqlite3_finalize(s);
        cache_.clear();
        sqlite3_close(db_);
        db_ = nullptr;
        throw;
    }
}

Database::~Database() {
    for (auto* s : std::as_const(cache_)) sqlite3_finalize(s);
    sqlite3_close(db_);
}

void Database::attachAll() {
    for (TableId id : kAllTables) {
        if (id == TableId::Lesn) continue;
        sqlite3_stmt* stmt = nullptr;
        const QString sql = QStringLiteral("ATTACH DATABASE ? AS \"%1\"").arg(schemaOf(id));
        int rc = sqlite3_prepare_v2(db_, sql.toUtf8().constData(), -1, &stmt, nullptr);
        if (rc == SQLITE_OK) {
            const QByteArray uri = uriFor(tableFilePath(directory_, id), modeOf(readOnly())).toUtf8();
            sqlite3_bind_text(stmt, 1, uri.constData(), int(uri.size()), SQLITE_TRANSIENT);
            rc = sqlite3_step(stmt);
        }
        sqlite3_finalize(stmt);
        if (rc != SQLITE_DONE && rc != SQLITE_OK) damaged(tableFilePath(directory_, id), QString::fromUtf8(sqlite3_errmsg(db_)));
    }
}

void Database::checkTables() {
    for (TableId id : kAllTables) {
        const TableDef& def = tableDef(id);
        const QString file = tableFilePath(directory_, id);
        const QString schema = schemaOf(id);
        try {
            if (!readOnly()) exec(QStringLiteral("PRAGMA \"%1\".journal_mode=DELETE").arg(schema));
            // Exactly one table of ours, no triggers or views riding along.
            auto objects = prepare(QStringLiteral("SELECT type, name, sql FROM \"%1\".sqlite_master").arg(schema));
            bool found = false;
            while (objects->step()) {
                const QString type = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(objects->get(), 0)));
                const QString name = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(objects->get(), 1)));
                const QString sql = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(objects->get(), 2)));
                if (type == QLatin1String("table") && name == QLatin1String(def.name)) {
                    found = true;
                    autoInc_[slot(id)] = sql.contains(QLatin1String("AUTOINCREMENT"), Qt::CaseInsensitive);
                } else if (type != QLatin1String("index") &&
                           !(type == QLatin1String("table") && name == QLatin1String("sqlite_sequence"))) {
                    damaged(file, QStringLiteral("unexpected %1 %2").arg(type, name));
                }
            }
            if (!found)
                throw StoreError(StoreError::Code::TableDoesNotExist,
                                 QStringLiteral("Table does not exist: %1").arg(QDir::toNativeSeparators(file)));
            auto cols = prepare(QStringLiteral("PRAGMA \"%1\".table_info(\"%2\")").arg(schema, QLatin1String(def.name)));
            size_t n = 0;
            while (cols->step()) {
                const QString name = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(cols->get(), 1)));
                if (n >= def.fields.size() || name != QLatin1String(def.fields[n].name))
                    damaged(file, QStringLiteral("unexpected field %1").arg(name));
                ++n;
            }
            if (n != def.fields.size()) damaged(file, QStringLiteral("fields missing"));
        } catch (const StoreError& e) {
            if (e.code() == StoreError::Code::Io) damaged(file, e.message());
            throw;
        }
    }
}

QString Database::resolve(const QString& nameOrPath, const AliasRegistry* aliases) {
    if (nameOrPath.contains(QLatin1Char('/')) || nameOrPath.contains(QLatin1Char('\\')))
        return QDir::cleanPath(QDir::fromNativeSeparators(nameOrPath));
    if (aliases && aliases->contains(nameOrPath)) return aliases->path(nameOrPath);
    throw StoreError(StoreError::Code::UnknownDatabase,
                     QStringLiteral("Unknown database. Alias: %1").arg(nameOrPath));
}

void Database::createTables(const QString& directory, bool autoIncKeys, bool durable) {
    if (!QFileInfo(directory).isDir())
        throw StoreError(StoreError::Code::PathNotFound,
                         QStringLiteral("Path not found: %1").arg(QDir::toNativeSeparators(directory)));
    for (TableId id : kAllTables) {
        const QString file = tableFilePath(directory, id);
        if (QFileInfo::exists(file)) checkHeader(file);
        sqlite3* db = nullptr;
        int rc = sqlite3_open_v2(uriFor(file, "rwc").toUtf8().constData(), &db,
                                 SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_URI, nullptr);
        QString error;
        if (rc == SQLITE_OK) {
            sqlite3_db_config(db, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
            sqlite3_db_config(db, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
            // An existing table is left as it is; only its index is rebuilt.
            const QString sql = QStringLiteral("PRAGMA journal_mode=DELETE; ") +
                                (durable ? QString() : QStringLiteral("PRAGMA synchronous=OFF; ")) +
                                createTableSql(id, autoIncKeys, QStringLiteral("main")) + QStringLiteral("; ") +
                                indexSql(id, QStringLiteral("main")) +
                                QStringLiteral("REINDEX main.\"%1\";").arg(QLatin1String(tableDef(id).name));
            char* err = nullptr;
            rc = sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &err);
            if (rc != SQLITE_OK) error = QString::fromUtf8(err ? err : sqlite3_errmsg(db));
            sqlite3_free(err);
        } else {
            error = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QStringLiteral("out of memory");
        }
        sqlite3_close(db);
        if (rc != SQLITE_OK) {
            if (codeFor(rc) == StoreError::Code::NotADatabase) damaged(file, error);
            throw StoreError(StoreError::Code::Io, QStringLiteral("Cannot create table %1: %2")
                                                       .arg(QDir::toNativeSeparators(file), error));
        }
    }
}

void Database::ensureIndexes() {
    if (readOnly()) return;
    Transaction tx(*this);
    for (TableId id : kAllTables) {
        // A table file the engine could only open for reading keeps working
        // without the index, as it did before.
        if (sqlite3_db_readonly(db_, schemaOf(id).toUtf8().constData()) == 1) continue;
        if (const QString sql = indexSql(id, schemaOf(id)); !sql.isEmpty()) exec(sql);
    }
    tx.commit();
}

bool Database::autoIncKeys(TableId id) const { return autoInc_[slot(id)]; }

void Database::setDurable(bool durable) {
    for (TableId id : kAllTables)
        exec(QStringLiteral("PRAGMA \"%1\".synchronous=%2").arg(schemaOf(id), durable ? QStringLiteral("FULL") : QStringLiteral("OFF")));
}

QString Database::qualifiedName(TableId id) const {
    return QStringLiteral("\"%1\".\"%2\"").arg(schemaOf(id), QLatin1String(tableDef(id).name));
}

std::unique_ptr<Statement> Database::prepare(const QString& sql) {
    sqlite3_stmt* stmt = cache_.value(sql, nullptr);
    if (!stmt) {
        const int rc = sqlite3_prepare_v3(db_, sql.toUtf8().constData(), -1, SQLITE_PREPARE_PERSISTENT, &stmt, nullptr);
        if (rc != SQLITE_OK) raise(rc, sql);
        cache_.insert(sql, stmt);
    }
    return std::make_unique<Statement>(db_, stmt);
}

void Database::exec(const QString& sql) {
    char* err = nullptr;
    const int rc = sqlite3_exec(db_, sql.toUtf8().constData(), nullptr, nullptr, &err);
    if (rc != SQLITE_OK) {
        const QString msg = QString::fromUtf8(err ? err : sqlite3_errmsg(db_));
        sqlite3_free(err);
        throw StoreError(codeFor(rc), msg);
    }
}

qint64 Database::lastInsertRowId() const { return sqlite3_last_insert_rowid(db_); }

qint64 Database::nextKey(TableId id) {
    const TableDef& def = tableDef(id);
    // sqlite_sequence is made with the first table that has such keys.
    auto stmt = prepare(QStringLiteral("SELECT max(coalesce((SELECT seq FROM \"%1\".sqlite_sequence WHERE name='%2'), 0), "
                                       "coalesce((SELECT max(\"%3\") FROM %4), 0))")
                            .arg(schemaOf(id), QLatin1String(def.name), QLatin1String(def.fields[0].name), qualifiedName(id)));
    return stmt->step() ? sqlite3_column_int64(stmt->get(), 0) + 1 : 1;
}

void Database::reserveKeysThrough(TableId id, qint64 key) {
    if (nextKey(id) > key) return;
    const QString name = QLatin1String(tableDef(id).name);
    const QString sequence = QStringLiteral("\"%1\".sqlite_sequence").arg(schemaOf(id));
    auto update = prepare(QStringLiteral("UPDATE %1 SET seq=? WHERE name='%2'").arg(sequence, name));
    sqlite3_bind_int64(update->get(), 1, key);
    update->step();
    if (sqlite3_changes(db_) > 0) return;
    auto insert = prepare(QStringLiteral("INSERT INTO %1(name, seq) VALUES('%2', ?)").arg(sequence, name));
    sqlite3_bind_int64(insert->get(), 1, key);
    insert->step();
}

void Database::raise(int rc, const QString& context) const {
    throw StoreError(codeFor(rc), QString::fromUtf8(sqlite3_errmsg(db_)) + QStringLiteral(" (") + context + QLatin1Char(')'));
}

// -------------------------------------------------------------- Transaction

Database::Transaction::Transaction(Database& db)
    : db_(db), name_(QStringLiteral("vellora_sp%1").arg(db.savepointDepth_)) {
    db_.exec(QStringLiteral("SAVEPOINT ") + name_);
    ++db_.savepointDepth_;
}

Database::Transaction::~Transaction() {
    if (done_) return;
    --db_.savepointDepth_;
    try {
        db_.exec(QStringLiteral("ROLLBACK TO ") + name_);
        db_.exec(QStringLiteral("RELEASE ") + name_);
    } catch (const StoreError&) {
        // Nothing more can be done from a destructor; the engine has already
        // rolled the transaction back if it could not keep it.
    }
}

void Database::Transaction::commit() {
    db_.exec(QStringLiteral("RELEASE ") + name_);
    --db_.savepointDepth_;
    done_ = true;
}

}  // namespace vellora
