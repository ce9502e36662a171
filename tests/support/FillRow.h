#pragma once

#include <QString>
#include <QVariant>
#include <map>
#include <set>
#include <vector>

#include "Table.h"

namespace vellora::testing {

// Fills every field but the key with values that differ per row and field;
// some fields stay blank, which must survive as blank.
inline void fillRow(Table& t, int seed) {
    const auto& fields = t.def().fields;
    for (size_t i = 1; i < fields.size(); ++i) {
        const FieldDef& f = fields[i];
        if ((seed + int(i)) % 7 == 0) continue;
        switch (f.type) {
            case FieldType::LongInt:
                t.setField(int(i), qint64(seed) * 1000 + qint64(i));
                break;
            case FieldType::Alpha:
                t.setField(int(i), QStringLiteral("%1%2é").arg(seed).arg(QLatin1String(f.name)).left(f.size));
                break;
            case FieldType::Memo:
                t.setField(int(i), QStringLiteral("line %1 of %2\nsecond line\n").arg(seed).arg(QLatin1String(f.name)));
                break;
            case FieldType::Logical:
                t.setField(int(i), (seed + int(i)) % 2 == 0);
                break;
            case FieldType::Key:
                break;
        }
    }
}

using Row = std::vector<QVariant>;
using Rows = std::map<qint64, Row>;

// Every row of a table by key, every field by position.
inline Rows dumpTable(Database& db, TableId id) {
    Rows rows;
    Table t(db, id, true);
    for (bool more = t.first(); more; more = t.next()) {
        Row r(t.def().fields.size());
        for (size_t i = 0; i < r.size(); ++i) r[i] = t.field(int(i));
        rows[t.key()] = r;
    }
    return rows;
}

inline std::map<TableId, Rows> dumpDatabase(Database& db) {
    std::map<TableId, Rows> all;
    for (TableId id : kAllTables) all[id] = dumpTable(db, id);
    return all;
}

// The rows of one lesson in a database: its row, its pages, their words and choices.
inline std::map<TableId, Rows> lessonRows(Database& db, qint64 lesson) {
    auto all = dumpDatabase(db);
    std::map<TableId, Rows> rows;
    rows[TableId::Lesn][lesson] = all[TableId::Lesn][lesson];
    std::set<qint64> pages;
    for (const auto& [key, row] : all[TableId::Page])
        if (row[1].toLongLong() == lesson) {
            rows[TableId::Page][key] = row;
            pages.insert(key);
        }
    for (TableId child : {TableId::Wurd, TableId::Choice})
        for (const auto& [key, row] : all[child])
            if (pages.count(row[1].toLongLong())) rows[child][key] = row;
    return rows;
}

}  // namespace vellora::testing
