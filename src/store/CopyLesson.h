#pragma once

#include <QString>
#include <QStringList>
#include <functional>

#include "Database.h"

namespace vellora {

class HandleDataBase;
class StatusLine;

// "out": export, every field and key unchanged into a package database whose
// tables take caller-written keys. "in": import, new keys from the store,
// every parent reference rewritten and the media files renamed to match.
enum class CopyDirection { Out, In };

// "out" or "in"; anything else raises HDDBExeption "SrcLesnRegNum does not exist".
CopyDirection CopyDirectionFromText(const QString& text);

struct CopyLessonOptions {
    // "in": the new lesson's DirPath is ProgramDir/workspac/<8-digit number>.
    QString programDir;
    // Progress (string 26 with the page, word and choice being copied); none when null.
    StatusLine* status = nullptr;
    // The destination as the status line names it; its directory when empty.
    QString destinationName;
    // "in": renames one media file and must not replace an existing one;
    // QFile::rename when empty.
    std::function<bool(const QString& from, const QString& to)> renameFile;
};

struct CopyLessonResult {
    qint64 lesnRegNum = 0;  // the lesson's number in the destination
    // "in": the directory whose media files were renamed (the package's own
    // directory, the import's scratch directory) and the new lesson's DirPath.
    QString scratchDirectory;
    QString lessonDirectory;
    // "in": lesson directories already there that no row named, whose
    // numbers the new lesson skipped (left as they were).
    QStringList skippedDirectories;
    int pages = 0;
    int wurds = 0;
    int choices = 0;
    int mediaRenamed = 0;
};

// Copies lesson `sourceLesson` with its pages and, per page, its words
// (reading page, PageType 0) or its choices (question page, PageType > 0).
//
// "out" raises HDDBExeption "SrcLesnRegNum does not exist" when the lesson is
// not in `source`; "in" takes the package's first lesson when the number is
// not there. The copy is one transaction of `destination`: when any row fails
// (StoreError) nothing of it stays, and in the "in" direction the media files
// keep their old names.
CopyLessonResult CopyLesson(Database& source, qint64 sourceLesson, Database& destination,
                            CopyDirection direction, const CopyLessonOptions& options);

// The same with the databases named by alias ("QUES002") or directory and the
// direction as text. A name that stands for the working database of `hdb`
// uses its open connection; any other database is opened for the copy and
// closed before returning.
CopyLessonResult CopyLesson(HandleDataBase& hdb, const QString& sourceDatabase, qint64 sourceLesson,
                            const QString& destinationDatabase, const QString& direction,
                            StatusLine* status);

}  // namespace vellora
