#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include "InfoZip.h"

namespace vellora {

// The name under which an archive entry is extracted: its last path part
// (after "/" or "\"), since every entry lands directly in Dest. Empty when the
// entry cannot be given a safe name ("", ".", "..", a drive or stream colon,
// control characters, longer than a file name may be).
QString ZipEntryFileName(const QString& entryName);

// Extracts a ZIP archive, every entry directly into Dest (no subdirectories).
//
// Nothing is ever written outside Dest: entries are named by ZipEntryFileName,
// links are neither followed nor made, and every entry is first written under
// a temporary name and checked in full (size and CRC) before it takes its own
// name. The archive is checked as a whole first, and the files take their
// names only once every entry was read whole, so a damaged, truncated or
// hostile archive raises EInfoZipException with a clear message and leaves
// Dest as it was.
//
// Without OverWrite an existing file of an entry's name is kept and the entry
// skipped; ExtractNewer replaces it only with a newer entry. The archive itself
// is never replaced. TestZip reads and checks every entry and writes nothing;
// Listing only reports the entries; ZipComment reports the archive's comment.
// CreateDirectorys and CRLF raise EInfoZipException when set.
//
// OnPrint gets one line per file entry: " extracting: NAME" (or
// "  inflating: NAME"), "    testing: NAME", "  skipping: NAME ..." or, with
// Listing, its size, date and name.
//
// The archive is the file FileName, or, when Pieces is not empty, those files
// read one after the other as one archive (a package cut over disks, every
// disk still at hand); FileName then only names it in messages.
// The names of the entries of the archive made of `pieces` (as TIUnzip's
// Pieces), or nothing when it cannot be opened as one.
QStringList ZipEntryNames(const QStringList& pieces);

// An entry as the archive's directory declares it: its name and the size it
// unpacks to (which unpacking holds it to).
struct ZipEntryInfo {
    QString name;
    quint64 size = 0;
};
// The entries of the archive made of `pieces`, or nothing when it cannot be
// opened as one.
QList<ZipEntryInfo> ZipEntries(const QStringList& pieces);

class TIUnzip : public QObject {
    Q_OBJECT
  public:
    explicit TIUnzip(QObject* parent = nullptr) : QObject(parent) {}

    bool Quiet = false;
    bool TestZip = false;
    bool Listing = false;
    bool ExtractNewer = false;
    bool ZipComment = false;
    bool CreateDirectorys = false;
    bool OverWrite = false;
    bool CRLF = false;
    QString FileName;
    QStringList Pieces;
    TInfoZipPrint OnPrint;
    QString Dest;

    // Does nothing when FileName is empty. Never changes the process's
    // current directory.
    void Execute();
};

}  // namespace vellora
