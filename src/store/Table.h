#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <vector>

#include "Database.h"

namespace vellora {

// A cursor over one table of a database, walking its rows in key order, with
// one row buffer for editing. A blank (NULL) field reads as 0, empty or false.
class Table {
public:
    enum class State { Browse, Edit, Insert };

    Table(Database& db, TableId id, bool readOnly = false);
    // The table named by its file name ("VELLO002.DB", "Bpgqu002.db").
    Table(Database& db, const QString& fileName, bool readOnly = false);

    const TableDef& def() const { return def_; }
    Database& database() const { return db_; }
    State state() const { return state_; }

    // Navigation posts a row being edited first, as leaving a row does.
    bool first();   // false on an empty table
    bool next();    // false (and eof) after the last row
    bool eof() const { return eof_; }
    bool hasCurrent() const { return hasRow_; }
    qint64 recordCount();

    // Positions on the row with key `key`. Not found leaves the position.
    bool findKey(qint64 key);
    bool findKey(const QString& decimalKey);

    // Positions on the first row, in key order, whose fields `f1` and `f2`
    // equal `v1` and `v2` (a blank field equals 0), through the lookup index
    // where the table has one: the row a walk from first() would stop at.
    // Not found leaves the position.
    bool findBy(const QString& f1, qint64 v1, const QString& f2, qint64 v2);

    // The rows whose `field` equals `value` (a blank field equals 0), as the
    // value of `orderField` (blank reads 0) and the key, ordered by that value
    // and then the key. One statement; the position does not move.
    struct OrderedKey {
        qint64 value;
        qint64 key;
    };
    std::vector<OrderedKey> keysBy(const QString& field, qint64 value, const QString& orderField);

    void append();  // start a new blank row; it becomes real on post()
    void insert() { append(); }
    void edit();    // start changing the current row (no-op while editing)
    void post();    // write the row; a store-assigned key is given here
    void cancel();  // drop the changes of the row being edited
    void remove();  // delete the current row; moves to the next one

    // Current key (0 when blank).
    qint64 key() const { return asInteger(0); }

    // Field access by position (0-based) and by name (case-insensitive).
    int indexOf(const QString& name) const;  // throws for an unknown name
    const QVariant& field(int pos) const;
    void setField(int pos, const QVariant& value);
    bool isBlank(const QString& name) const;

    qint64 asInteger(int pos) const;
    qint64 asInteger(const QString& name) const { return asInteger(indexOf(name)); }
    QString asString(const QString& name) const;
    bool asBoolean(const QString& name) const;
    QStringList asLines(const QString& name) const;

    void setInteger(const QString& name, qint64 value);
    void setString(const QString& name, const QString& value);
    void setBoolean(const QString& name, bool value);
    void setLines(const QString& name, const QStringList& lines);
    void clear(const QString& name);

private:
    bool load(class Statement& stmt);
    QString equalsSql(const QString& field, qint64 value) const;
    void requireWritable() const;
    void requireEditing() const;
    void checkBrowse();

    Database& db_;
    const TableDef& def_;
    bool readOnly_;
    State state_ = State::Browse;
    std::vector<QVariant> row_;
    bool hasRow_ = false;
    bool eof_ = true;
    qint64 currentKey_ = 0;
    QString selectAll_, sqlFirst_, sqlNext_, sqlFind_, sqlCount_, sqlInsert_, sqlUpdate_, sqlDelete_, sqlAfter_, sqlBefore_;
};

// Reads a row's column `i` of a stepped statement as a field value.
QVariant columnValue(class Statement& stmt, int i, FieldType type);

// The rows of one table whose `field` equals `value`, in key order, with the
// columns in the table's field order. Read-only.
class Query {
public:
    Query(Database& db, TableId id, const QString& field, qint64 value);

    const TableDef& def() const { return def_; }
    int recordCount() const { return int(rows_.size()); }
    bool first();
    bool next();
    bool eof() const { return pos_ >= rows_.size(); }

    const QVariant& field(int pos) const;
    int indexOf(const QString& name) const;
    qint64 asInteger(const QString& name) const;
    QString asString(const QString& name) const;
    bool asBoolean(const QString& name) const;

private:
    const TableDef& def_;
    std::vector<std::vector<QVariant>> rows_;
    size_t pos_ = 0;
};

}  // namespace vellora
