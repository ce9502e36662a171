#pragma once

#include <QString>
#include <QStringList>

namespace vellora {

class Database;

// A lesson's directory is named by its number, so a new lesson may not take a
// number whose directory is already there: a folder left by an import cut
// short between moving its media into place and committing its rows, or put
// there by hand. Such a number comes back again and again, because a
// rolled-back insert does not advance the store's key. This moves the lesson
// table's next key past every such number (in the current transaction, if
// one is open), never touching the folders, and answers the folders skipped.
QStringList SkipTakenLessonNumbers(Database& db, const QString& programDir);

// What the user is told about the folders skipped.
QString SkippedFoldersMessage(const QStringList& folders);

}  // namespace vellora
