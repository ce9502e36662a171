#pragma once

#include <QString>

// The page window's own texts, in one place.
namespace vellora::texts {

inline const QString kMaxWurdsBefore = QStringLiteral("Maximum text/page is 150 words. ");
inline const QString kMaxWurdsAfter = QStringLiteral(" is the 150th word. Edit Text?");
inline const QString kWurd = QStringLiteral("Wurd ");
inline const QString kWurdDoesNotExist = QStringLiteral(" does not exist!");
inline const QString kWurdRecordNumberZero = QStringLiteral(" has a record number of 0!");
inline const QString kWurdNotFound = QStringLiteral(" not found.");

// The question asked when the 150th word is made; `wurd` is its staged text.
inline QString MaxWurdsQuestion(const QString& wurd) {
    return kMaxWurdsBefore + QLatin1Char('"') + wurd + QLatin1Char('"') + kMaxWurdsAfter;
}
// Word `n` has no edit box.
inline QString WurdDoesNotExist(int n) { return kWurd + QString::number(n) + kWurdDoesNotExist; }
// Word `n` has no row number to load from.
inline QString WurdRecordNumberZero(int n) {
    return kWurd + QString::number(n) + kWurdRecordNumberZero;
}
// The row numbered `wurdRegNum` is missing when saving.
inline QString WurdNotFound(qint64 wurdRegNum) {
    return kWurd + QString::number(wurdRegNum) + kWurdNotFound;
}

}  // namespace vellora::texts
