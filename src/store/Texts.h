#pragma once

#include <QString>

// The store's own messages, in one place.
namespace vellora::texts {

inline const QString kInvalidDatabase = QStringLiteral("Invalid Database");
inline const QString kDatabaseNotFound = QStringLiteral(
    "Database not found.  Yes = Create new database.  No = Enter new location for database");
inline const QString kCodeNotDone = QStringLiteral("Code not done.  Update alias");
inline const QString kCannotCreateDirectory = QStringLiteral("Cannot create directory");

}  // namespace vellora::texts
