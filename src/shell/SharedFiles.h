#pragma once

#include <QString>
#include <QStringList>

namespace vellora {

class Dialogs;

// The files every lesson shares, by their names in the data directory: the
// spoken verdicts of a question and the gradient background's preview.
QStringList SharedFileNames();

// Writes each shared file missing from `programDir` from the program's own
// copy. A file already there (perhaps an author's own sound) is kept. One
// that cannot be written is reported through `dialogs` and the program goes
// on without it. Answers the names written.
QStringList WriteSharedFiles(const QString& programDir, Dialogs& dialogs);

}  // namespace vellora
