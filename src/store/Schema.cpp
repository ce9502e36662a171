#include "Schema.h"

#include <QStringList>
#include <array>

namespace vellora {
namespace {

using F = FieldType;

// DirPath holds a full directory path; today's per-user data directories are
// far longer than 60 characters, so it is wide enough for any real path.
constexpr int kDirPathSize = 1024;

constexpr FieldDef kLesnFields[] = {
    {"LesnRegNum", F::Key, 0, 0},
    {"DataVersion", F::LongInt, 0, 0},
    {"Pages", F::LongInt, 0, 0},
    {"Title", F::Memo, 100, 0},
    {"TitleFontName", F::Alpha, 20, 0},
    {"TitleFontSize", F::LongInt, 0, 0},
    {"TitleFontColor", F::LongInt, 0, 0},
    {"TitleFontStyle", F::LongInt, 0, 0},
    {"AuthorFirst", F::Alpha, 20, 0},
    {"AuthorMiddle", F::Alpha, 20, 0},
    {"AuthorLast", F::Alpha, 20, 0},
    {"NameFontName", F::Alpha, 20, 0},
    {"NameFontSize", F::LongInt, 0, 0},
    {"NameFontColor", F::LongInt, 0, 0},
    {"NameFontStyle", F::LongInt, 0, 0},
    {"CopyRHolder", F::Alpha, 50, 0},
    {"CopyRLocation", F::Alpha, 60, 0},
    {"CopyRYear", F::LongInt, 0, 0},
    {"Objective", F::Memo, 100, 0},
    {"LessonSoundFile", F::Logical, 0, 0},
    {"Background", F::LongInt, 0, 0},
    {"LDefaultFontName", F::Alpha, 20, 0},
    {"LDefaultFontSize", F::LongInt, 0, 0},
    {"LDefaultFontColor", F::LongInt, 0, 0},
    {"LDefaultFontStyle", F::LongInt, 0, 0},
    {"DirPath", F::Alpha, kDirPathSize, 0},
};

constexpr FieldDef kPageFields[] = {
    {"PageRegNum", F::Key, 0, 0},
    {"LesnRegNum", F::LongInt, 0, 1},
    {"PageNumber", F::LongInt, 0, 1},
    {"PageType", F::LongInt, 0, 0},
    {"Wurds", F::LongInt, 0, 0},
    {"Choices", F::LongInt, 0, 0},
    {"HotSpots", F::LongInt, 0, 0},
    {"Video", F::Logical, 0, 0},
    {"Picture", F::Logical, 0, 0},
    {"VideoControl", F::Logical, 0, 0},
    {"FontName", F::Alpha, 20, 0},
    {"FontSize", F::LongInt, 0, 0},
    {"FontColor", F::Alpha, 10, 0},
    {"FontStyle", F::LongInt, 0, 0},
    {"PageSoundFile", F::Logical, 0, 0},
    {"QuesTop", F::LongInt, 0, 0},
    {"QuesLeft", F::LongInt, 0, 0},
    {"QuesWidth", F::LongInt, 0, 0},
    {"ShowScore", F::Logical, 0, 0},
    {"StimulusText", F::Memo, 150, 0},
    {"EFontName", F::Alpha, 20, 0},
    {"EFontColor", F::Alpha, 10, 0},
    {"EFontSize", F::LongInt, 0, 0},
    {"EFontStyle", F::LongInt, 0, 0},
};

constexpr FieldDef kWurdFields[] = {
    {"WurdRegNum", F::Key, 0, 0},
    {"PageRegNum", F::LongInt, 0, 1},
    {"WurdNumber", F::LongInt, 0, 1},
    {"WText", F::Alpha, 20, 0},
    {"WLeft", F::LongInt, 0, 0},
    {"WTop", F::LongInt, 0, 0},
    {"WWide", F::LongInt, 0, 0},
    {"WTall", F::LongInt, 0, 0},
    {"WHint", F::Alpha, 50, 0},
    {"WStopTime", F::LongInt, 0, 0},
    {"WFontName", F::Alpha, 20, 0},
    {"WFontSize", F::LongInt, 0, 0},
    {"WFontColor", F::Alpha, 10, 0},
    {"WFontStyle", F::LongInt, 0, 0},
    {"WSoundFile", F::Logical, 0, 0},
};

constexpr FieldDef kChoiceFields[] = {
    {"ChoiceRegNum", F::Key, 0, 0},
    {"PageRegNum", F::LongInt, 0, 0},
    {"ChoiceText", F::Memo, 100, 0},
    {"ChoiceSound", F::Logical, 0, 0},
    {"Enumerator", F::LongInt, 0, 0},
    {"Correctness", F::LongInt, 0, 0},
    {"ResponseText", F::Memo, 100, 0},
    {"ResponseSound", F::Logical, 0, 0},
    {"Response1Type", F::LongInt, 0, 0},
    {"Response2Type", F::LongInt, 0, 0},
    {"Remediate1Type", F::LongInt, 0, 0},
    {"Remediate2Type", F::LongInt, 0, 0},
    {"Action1Type", F::LongInt, 0, 0},
    {"Action2Type", F::LongInt, 0, 0},
    {"Show1Page", F::LongInt, 0, 0},
    {"Jump1Page", F::LongInt, 0, 0},
    {"Show2Page", F::LongInt, 0, 0},
    {"Jump2Page", F::LongInt, 0, 0},
};

const std::array<TableDef, 4> kTables = {{
    {TableId::Choice, "BKCHO002", "BKCHO002.DB", kChoiceFields},
    {TableId::Wurd, "BKWRD002", "BKWRD002.DB", kWurdFields},
    {TableId::Lesn, "VELLO002", "VELLO002.DB", kLesnFields},
    {TableId::Page, "BPGQU002", "BPGQU002.DB", kPageFields},
}};

struct IndexDef {
    TableId table;
    const char* name;
    const char* fields[2];
};

const IndexDef kIndexes[] = {
    {TableId::Page, "BPGQU002_LesnPage", {"LesnRegNum", "PageNumber"}},
    {TableId::Wurd, "BKWRD002_PageWurd", {"PageRegNum", "WurdNumber"}},
};

QString quoted(const QString& name) { return QLatin1Char('"') + name + QLatin1Char('"'); }

// Column definition with the checks that make the store itself refuse bad rows:
// STRICT gives the types; the checks give 32-bit range, booleans, text sizes
// and the minimum-value rules. A NULL is a blank field and passes every rule.
QString columnSql(const FieldDef& f, bool autoIncKeys) {
    const QString n = quoted(QString::fromLatin1(f.name));
    const QString range =
        QStringLiteral(" CHECK(%1 IS NULL OR %1 BETWEEN -2147483648 AND 2147483647)").arg(n);
    switch (f.type) {
        case FieldType::Key:
            return autoIncKeys ? n + QStringLiteral(" INTEGER PRIMARY KEY AUTOINCREMENT") + range
                               : n + QStringLiteral(" INTEGER NOT NULL PRIMARY KEY") + range;
        case FieldType::LongInt: {
            QString sql = n + QStringLiteral(" INTEGER") + range;
            if (f.minValue != 0)
                sql += QStringLiteral(" CHECK(%1 IS NULL OR %1 >= %2)").arg(n).arg(f.minValue);
            return sql;
        }
        case FieldType::Alpha:
            return n + QStringLiteral(" TEXT CHECK(%1 IS NULL OR length(%1) <= %2)").arg(n).arg(f.size);
        case FieldType::Memo:
            return n + QStringLiteral(" TEXT");
        case FieldType::Logical:
            return n + QStringLiteral(" INTEGER CHECK(%1 IS NULL OR %1 IN (0, 1))").arg(n);
    }
    return {};
}

}  // namespace

const TableDef& tableDef(TableId id) {
    for (const auto& t : kTables)
        if (t.id == id) return t;
    return kTables[0];
}

bool tableForFileName(const QString& fileName, TableId* id) {
    for (const auto& t : kTables) {
        if (fileName.compare(QLatin1String(t.fileName), Qt::CaseInsensitive) == 0 ||
            fileName.compare(QLatin1String(t.name), Qt::CaseInsensitive) == 0) {
            *id = t.id;
            return true;
        }
    }
    return false;
}

int fieldIndex(const TableDef& def, const QString& name) {
    for (size_t i = 0; i < def.fields.size(); ++i)
        if (name.compare(QLatin1String(def.fields[i].name), Qt::CaseInsensitive) == 0)
            return static_cast<int>(i);
    return -1;
}

int alphaSize(const TableDef& def, const QString& name) {
    const int i = fieldIndex(def, name);
    return i >= 0 && def.fields[size_t(i)].type == FieldType::Alpha ? def.fields[size_t(i)].size : 0;
}

QString createTableSql(TableId id, bool autoIncKeys, const QString& schemaName) {
    const TableDef& def = tableDef(id);
    QStringList cols;
    for (const auto& f : def.fields) cols << columnSql(f, autoIncKeys);
    // Package tables keep caller-written keys: WITHOUT ROWID makes a missing key
    // an error instead of a silently assigned number.
    return QStringLiteral("CREATE TABLE IF NOT EXISTS %1.%2 (%3) STRICT%4")
        .arg(quoted(schemaName), quoted(QString::fromLatin1(def.name)), cols.join(QStringLiteral(", ")),
             autoIncKeys ? QString() : QStringLiteral(", WITHOUT ROWID"));
}

QStringList createIndexSql(TableId id, const QString& schemaName) {
    QStringList sql;
    for (const auto& ix : kIndexes) {
        if (ix.table != id) continue;
        QStringList cols;
        for (const char* f : ix.fields) cols << quoted(QString::fromLatin1(f));
        sql << QStringLiteral("CREATE INDEX IF NOT EXISTS %1.%2 ON %3 (%4)")
                   .arg(quoted(schemaName), quoted(QString::fromLatin1(ix.name)),
                        quoted(QString::fromLatin1(tableDef(id).name)), cols.join(QStringLiteral(", ")));
    }
    return sql;
}

}  // namespace vellora
