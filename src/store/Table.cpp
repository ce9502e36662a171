#include "Table.h"

#include <sqlite3.h>

#include <QRegularExpression>

namespace vellora {
namespace {

QString q(const char* name) { return QLatin1Char('"') + QLatin1String(name) + QLatin1Char('"'); }

const QVariant& blank() {
    static const QVariant v;
    return v;
}

qint64 toInteger(const QVariant& v) {
    if (v.isNull()) return 0;
    if (v.typeId() == QMetaType::QString) return v.toString().trimmed().toLongLong();
    return v.toLongLong();
}

QString toText(const QVariant& v) {
    if (v.isNull()) return QString();
    return v.toString();
}

bool toBoolean(const QVariant& v) { return !v.isNull() && v.toBool(); }

QStringList toLines(const QVariant& v) {
    const QString text = toText(v);
    if (text.isEmpty()) return {};
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    return text.split(lineBreak);
}

void bindValue(sqlite3_stmt* stmt, int index, const QVariant& v) {
    if (v.isNull()) {
        sqlite3_bind_null(stmt, index);
    } else if (v.typeId() == QMetaType::QString) {
        const QByteArray utf8 = v.toString().toUtf8();
        sqlite3_bind_text(stmt, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    } else if (v.typeId() == QMetaType::Bool) {
        sqlite3_bind_int(stmt, index, v.toBool() ? 1 : 0);
    } else {
        sqlite3_bind_int64(stmt, index, v.toLongLong());
    }
}

// Normalises a value written into a field to the field's kind.
QVariant coerce(const FieldDef& f, const QVariant& v) {
    if (v.isNull()) return QVariant();
    switch (f.type) {
        case FieldType::Key:
        case FieldType::LongInt: {
            if (v.typeId() == QMetaType::Bool) return QVariant(qint64(v.toBool() ? 1 : 0));
            bool ok = false;
            const qint64 n = v.typeId() == QMetaType::QString ? v.toString().trimmed().toLongLong(&ok)
                                                              : v.toLongLong(&ok);
            if (!ok) {
                if (v.typeId() == QMetaType::QString && v.toString().trimmed().isEmpty()) return QVariant();
                throw StoreError(StoreError::Code::ConstraintFailed,
                                 QStringLiteral("Field %1 needs a whole number, not \"%2\"")
                                     .arg(QLatin1String(f.name), v.toString()));
            }
            return QVariant(n);
        }
        case FieldType::Alpha:
        case FieldType::Memo:
            return QVariant(v.toString());
        case FieldType::Logical:
            return QVariant(v.toBool());
    }
    return v;
}

}  // namespace

QVariant columnValue(Statement& stmt, int i, FieldType type) {
    sqlite3_stmt* s = stmt.get();
    if (sqlite3_column_type(s, i) == SQLITE_NULL) return QVariant();
    switch (type) {
        case FieldType::Key:
        case FieldType::LongInt:
            return QVariant(qint64(sqlite3_column_int64(s, i)));
        case FieldType::Logical:
            return QVariant(sqlite3_column_int(s, i) != 0);
        case FieldType::Alpha:
        case FieldType::Memo:
            return QVariant(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s, i)),
                                              sqlite3_column_bytes(s, i)));
    }
    return QVariant();
}

// -------------------------------------------------------------------- Table

Table::Table(Database& db, const QString& fileName, bool readOnly)
    : Table(db,
            [&] {
                TableId id;
                if (!tableForFileName(fileName, &id))
                    throw StoreError(StoreError::Code::TableDoesNotExist,
                                     QStringLiteral("Table does not exist: %1").arg(fileName));
                return id;
            }(),
            readOnly) {}

Table::Table(Database& db, TableId id, bool readOnly)
    : db_(db), def_(tableDef(id)), readOnly_(readOnly || db.readOnly()), row_(def_.fields.size()) {
    const QString t = db.qualifiedName(id);
    const QString key = q(def_.fields[0].name);
    QStringList cols, marks, sets;
    for (const auto& f : def_.fields) {
        cols << q(f.name);
        marks << QStringLiteral("?");
        sets << q(f.name) + QStringLiteral("=?");
    }
    selectAll_ = QStringLiteral("SELECT %1 FROM %2 ").arg(cols.join(QLatin1Char(',')), t);
    sqlFirst_ = selectAll_ + QStringLiteral("ORDER BY %1 LIMIT 1").arg(key);
    sqlNext_ = selectAll_ + QStringLiteral("WHERE %1>? ORDER BY %1 LIMIT 1").arg(key);
    sqlBefore_ = selectAll_ + QStringLiteral("WHERE %1<? ORDER BY %1 DESC LIMIT 1").arg(key);
    sqlFind_ = selectAll_ + QStringLiteral("WHERE %1=?").arg(key);
    sqlCount_ = QStringLiteral("SELECT count(*) FROM %1").arg(t);
    sqlInsert_ = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)").arg(t, cols.join(QLatin1Char(',')), marks.join(QLatin1Char(',')));
    sqlUpdate_ = QStringLiteral("UPDATE %1 SET %2 WHERE %3=?").arg(t, sets.join(QLatin1Char(',')), key);
    sqlDelete_ = QStringLiteral("DELETE FROM %1 WHERE %2=?").arg(t, key);
}

bool Table::load(Statement& stmt) {
    if (!stmt.step()) return false;
    for (size_t i = 0; i < def_.fields.size(); ++i) row_[i] = columnValue(stmt, int(i), def_.fields[i].type);
    currentKey_ = toInteger(row_[0]);
    hasRow_ = true;
    return true;
}

void Table::checkBrowse() {
    if (state_ != State::Browse) post();
}

bool Table::first() {
    checkBrowse();
    auto stmt = db_.prepare(sqlFirst_);
    eof_ = !load(*stmt);
    if (eof_) {
        hasRow_ = false;
        std::fill(row_.begin(), row_.end(), QVariant());
    }
    return !eof_;
}

bool Table::next() {
    checkBrowse();
    if (!hasRow_) {
        eof_ = true;
        return false;
    }
    auto stmt = db_.prepare(sqlNext_);
    sqlite3_bind_int64(stmt->get(), 1, currentKey_);
    const bool found = load(*stmt);
    eof_ = !found;
    return found;
}

qint64 Table::recordCount() {
    auto stmt = db_.prepare(sqlCount_);
    stmt->step();
    return sqlite3_column_int64(stmt->get(), 0);
}

bool Table::findKey(qint64 key) {
    checkBrowse();
    auto stmt = db_.prepare(sqlFind_);
    sqlite3_bind_int64(stmt->get(), 1, key);
    if (!load(*stmt)) return false;
    eof_ = false;
    return true;
}

bool Table::findKey(const QString& decimalKey) {
    bool ok = false;
    const qint64 key = decimalKey.trimmed().toLongLong(&ok);
    if (!ok) {
        checkBrowse();
        return false;
    }
    return findKey(key);
}

// A blank field reads as 0, so looking for 0 also meets blank fields.
QString Table::equalsSql(const QString& field, qint64 value) const {
    const QString f = q(def_.fields[size_t(indexOf(field))].name);
    return value == 0 ? QStringLiteral("(%1=? OR %1 IS NULL)").arg(f) : f + QStringLiteral("=?");
}

bool Table::findBy(const QString& f1, qint64 v1, const QString& f2, qint64 v2) {
    checkBrowse();
    const QString sql = selectAll_ + QStringLiteral("WHERE %1 AND %2 ORDER BY %3 LIMIT 1")
                                         .arg(equalsSql(f1, v1), equalsSql(f2, v2), q(def_.fields[0].name));
    auto stmt = db_.prepare(sql);
    sqlite3_bind_int64(stmt->get(), 1, v1);
    sqlite3_bind_int64(stmt->get(), 2, v2);
    if (!load(*stmt)) return false;
    eof_ = false;
    return true;
}

std::vector<Table::OrderedKey> Table::keysBy(const QString& field, qint64 value, const QString& orderField) {
    const QString key = q(def_.fields[0].name);
    const QString order = QStringLiteral("IFNULL(%1,0)").arg(q(def_.fields[size_t(indexOf(orderField))].name));
    auto stmt = db_.prepare(QStringLiteral("SELECT %1, %2 FROM %3 WHERE %4 ORDER BY 1, 2")
                                .arg(order, key, db_.qualifiedName(def_.id), equalsSql(field, value)));
    sqlite3_bind_int64(stmt->get(), 1, value);
    std::vector<OrderedKey> keys;
    while (stmt->step())
        keys.push_back({sqlite3_column_int64(stmt->get(), 0), sqlite3_column_int64(stmt->get(), 1)});
    return keys;
}

void Table::requireWritable() const {
    if (readOnly_)
        throw StoreError(StoreError::Code::ReadOnly,
                         QStringLiteral("Table %1 is open read-only").arg(QLatin1String(def_.name)));
}

void Table::requireEditing() const {
    if (state_ == State::Browse)
        throw StoreError(StoreError::Code::NoCurrentRow,
                         QStringLiteral("Table %1 is not in edit or insert mode").arg(QLatin1String(def_.name)));
}

void Table::append() {
    requireWritable();
    checkBrowse();
    std::fill(row_.begin(), row_.end(), QVariant());
    state_ = State::Insert;
}

void Table::edit() {
    requireWritable();
    if (state_ != State::Browse) return;
    if (!hasRow_)
        throw StoreError(StoreError::Code::NoCurrentRow,
                         QStringLiteral("Table %1 has no current row to edit").arg(QLatin1String(def_.name)));
    state_ = State::Edit;
}

void Table::post() {
    requireEditing();
    const bool autoKey = db_.autoIncKeys(def_.id);
    const int n = int(def_.fields.size());
    if (state_ == State::Insert) {
        auto stmt = db_.prepare(sqlInsert_);
        // A store-assigned key never takes a value the caller put there.
        if (autoKey) {
            sqlite3_bind_null(stmt->get(), 1);
        } else {
            bindValue(stmt->get(), 1, row_[0]);
        }
        for (int i = 1; i < n; ++i) bindValue(stmt->get(), i + 1, row_[i]);
        try {
            stmt->step();
        } catch (const StoreError& e) {
            throw StoreError(e.code(), QStringLiteral("%1: %2").arg(QLatin1String(def_.name), e.message()));
        }
        currentKey_ = autoKey ? db_.lastInsertRowId() : toInteger(row_[0]);
        row_[0] = QVariant(currentKey_);
    } else {
        auto stmt = db_.prepare(sqlUpdate_);
        bindValue(stmt->get(), 1, autoKey ? QVariant(currentKey_) : row_[0]);
        for (int i = 1; i < n; ++i) bindValue(stmt->get(), i + 1, row_[i]);
        sqlite3_bind_int64(stmt->get(), n + 1, currentKey_);
        try {
            stmt->step();
        } catch (const StoreError& e) {
            throw StoreError(e.code(), QStringLiteral("%1: %2").arg(QLatin1String(def_.name), e.message()));
        }
        if (!autoKey) currentKey_ = toInteger(row_[0]);
        row_[0] = QVariant(currentKey_);
    }
    hasRow_ = true;
    eof_ = false;
    state_ = State::Browse;
}

void Table::cancel() {
    if (state_ == State::Browse) return;
    state_ = State::Browse;
    if (hasRow_ && !findKey(currentKey_)) hasRow_ = false;
    if (!hasRow_) std::fill(row_.begin(), row_.end(), QVariant());
}

void Table::remove() {
    requireWritable();
    if (state_ == State::Insert) {
        cancel();
        return;
    }
    state_ = State::Browse;
    if (!hasRow_)
        throw StoreError(StoreError::Code::NoCurrentRow,
                         QStringLiteral("Table %1 has no current row to delete").arg(QLatin1String(def_.name)));
    {
        auto stmt = db_.prepare(sqlDelete_);
        sqlite3_bind_int64(stmt->get(), 1, currentKey_);
        stmt->step();
    }
    const qint64 gone = currentKey_;
    auto after = db_.prepare(sqlNext_);
    sqlite3_bind_int64(after->get(), 1, gone);
    if (load(*after)) {
        eof_ = false;
        return;
    }
    auto before = db_.prepare(sqlBefore_);
    sqlite3_bind_int64(before->get(), 1, gone);
    if (load(*before)) {
        eof_ = true;
        return;
    }
    hasRow_ = false;
    eof_ = true;
    std::fill(row_.begin(), row_.end(), QVariant());
}

int Table::indexOf(const QString& name) const {
    const int i = fieldIndex(def_, name);
    if (i < 0)
        throw StoreError(StoreError::Code::Io,
                         QStringLiteral("Field '%1' not found in %2").arg(name, QLatin1String(def_.name)));
    return i;
}

const QVariant& Table::field(int pos) const {
    if (pos < 0 || pos >= int(row_.size())) return blank();
    return row_[pos];
}

void Table::setField(int pos, const QVariant& value) {
    requireEditing();
    if (pos < 0 || pos >= int(row_.size()))
        throw StoreError(StoreError::Code::Io, QStringLiteral("Field %1 out of range").arg(pos));
    row_[pos] = coerce(def_.fields[pos], value);
}

bool Table::isBlank(const QString& name) const { return field(indexOf(name)).isNull(); }
qint64 Table::asInteger(int pos) const { return toInteger(field(pos)); }
QString Table::asString(const QString& name) const { return toText(field(indexOf(name))); }
bool Table::asBoolean(const QString& name) const { return toBoolean(field(indexOf(name))); }
QStringList Table::asLines(const QString& name) const { return toLines(field(indexOf(name))); }

void Table::setInteger(const QString& name, qint64 value) { setField(indexOf(name), QVariant(value)); }
void Table::setString(const QString& name, const QString& value) { setField(indexOf(name), QVariant(value)); }
void Table::setBoolean(const QString& name, bool value) { setField(indexOf(name), QVariant(value)); }
void Table::setLines(const QString& name, const QStringList& lines) {
    setField(indexOf(name), QVariant(lines.join(QLatin1Char('\n'))));
}
void Table::clear(const QString& name) { setField(indexOf(name), QVariant()); }

// -------------------------------------------------------------------- Query

Query::Query(Database& db, TableId id, const QString& field, qint64 value) : def_(tableDef(id)) {
    const int col = fieldIndex(def_, field);
    if (col < 0)
        throw StoreError(StoreError::Code::Io,
                         QStringLiteral("Field '%1' not found in %2").arg(field, QLatin1String(def_.name)));
    QStringList cols;
    for (const auto& f : def_.fields) cols << q(f.name);
    auto stmt = db.prepare(QStringLiteral("SELECT %1 FROM %2 WHERE %3=? ORDER BY %4")
                               .arg(cols.join(QLatin1Char(',')), db.qualifiedName(id), q(def_.fields[col].name),
                                    q(def_.fields[0].name)));
    sqlite3_bind_int64(stmt->get(), 1, value);
    while (stmt->step()) {
        std::vector<QVariant> row(def_.fields.size());
        for (size_t i = 0; i < row.size(); ++i) row[i] = columnValue(*stmt, int(i), def_.fields[i].type);
        rows_.push_back(std::move(row));
    }
}

bool Query::first() {
    pos_ = 0;
    return !eof();
}

bool Query::next() {
    if (pos_ < rows_.size()) ++pos_;
    return !eof();
}

const QVariant& Query::field(int pos) const {
    if (eof() || pos < 0 || pos >= int(def_.fields.size())) return blank();
    return rows_[pos_][pos];
}

int Query::indexOf(const QString& name) const {
    const int i = fieldIndex(def_, name);
    if (i < 0)
        throw StoreError(StoreError::Code::Io,
                         QStringLiteral("Field '%1' not found in %2").arg(name, QLatin1String(def_.name)));
    return i;
}

qint64 Query::asInteger(const QString& name) const { return toInteger(field(indexOf(name))); }
QString Query::asString(const QString& name) const { return toText(field(indexOf(name))); }
bool Query::asBoolean(const QString& name) const { return toBoolean(field(indexOf(name))); }

}  // namespace vellora
