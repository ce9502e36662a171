#pragma once

#include <QString>
#include <QStringList>
#include <span>

namespace vellora {

// The four lesson tables. The order of the enumerators is the order in which
// the tables are created.
enum class TableId { Choice, Wurd, Lesn, Page };

enum class FieldType {
    Key,      // registration number: store-assigned or caller-written
    LongInt,  // 32-bit signed integer
    Alpha,    // text of at most `size` characters
    Memo,     // text of any length
    Logical,  // boolean
};

struct FieldDef {
    const char* name;
    FieldType type;
    int size;      // characters for Alpha, in-row bytes for Memo, else 0
    int minValue;  // 1 for the four minimum-value rules, else 0 (no rule)
};

struct TableDef {
    TableId id;
    const char* name;      // "VELLO002"
    const char* fileName;  // "VELLO002.DB"
    std::span<const FieldDef> fields;
};

inline constexpr TableId kAllTables[] = {TableId::Choice, TableId::Wurd, TableId::Lesn,
                                         TableId::Page};

const TableDef& tableDef(TableId id);

// The table whose file name matches `fileName` without regard to case
// ("Bpgqu002.db" names the page table). Returns false for an unknown name.
bool tableForFileName(const QString& fileName, TableId* id);

// Position of a field in its table, or -1.
int fieldIndex(const TableDef& def, const QString& name);
// Characters an Alpha field holds; 0 for any other field or an unknown name.
int alphaSize(const TableDef& def, const QString& name);

// SQL that creates the table in schema `schemaName` of a connection.
QString createTableSql(TableId id, bool autoIncKeys, const QString& schemaName);

// SQL that creates the table's lookup indexes, if missing (pages by lesson and
// page number, words by page and word number; none for the other tables).
// Each index also carries the key, so a lookup meets its matches in key order.
QStringList createIndexSql(TableId id, const QString& schemaName);

}  // namespace vellora
