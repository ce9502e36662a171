#pragma once

#include <QByteArrayView>
#include <QDateTime>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <stdexcept>

namespace vellora {

class ZipOutput;

// The zip components' own exception.
class EInfoZipException : public std::runtime_error {
  public:
    explicit EInfoZipException(const QString& message)
        : std::runtime_error(message.toStdString()), message_(message) {}
    const QString& message() const { return message_; }

  private:
    QString message_;
};

// One line of progress text from a zip component, with the sending component.
using TInfoZipPrint = std::function<void(QObject* Sender, const QString& Text)>;

// Turns a piece of raw progress text into the line handed to OnPrint: one line
// end is removed (a last LF or CR is cut off, so "x\r\n" keeps its CR).
QString InfoZipPrintLine(QByteArrayView text);

// Writes a ZIP archive from files named by wildcard paths.
//
// Each FileList entry is a file path or a wildcard path (wildcards only in its
// last part, matched without regard to case; "*.*" takes every name). Entries
// are named in the archive relative to the directory of their FileList entry,
// so "dir/*.*" gives entries named after the files alone. The archive itself is
// never taken into it. Hidden files found by a wildcard are left out unless
// System is set. Without Grow an existing archive is replaced only once the
// new one is complete; with Grow the files are added to it.
//
// OnPrint gets two lines per entry: "  adding: NAME" when its data starts and
// "  added: NAME (stored)" (or "(deflated)") when it is in the archive.
//
// Options with no meaning here (Volume, Extra, LF_CRLF, Force, Move,
// DeleteEntries, Update, Freshen, JunkSFX) raise EInfoZipException when set.
class TInfoZip : public QObject {
    Q_OBJECT
  public:
    explicit TInfoZip(QObject* parent = nullptr) : QObject(parent) {}

    bool System = false;
    bool Volume = false;
    bool Extra = false;
    bool NoDirEntries = false;
    bool Date = false;
    bool Verbose = false;
    bool Quiet = false;
    int Level = 0;  // 0 stores the files, 1..9 deflates them
    bool LF_CRLF = false;
    bool JunkDir = false;
    bool Recurse = false;
    bool Grow = false;
    bool Force = false;
    bool Move = false;
    bool DeleteEntries = false;
    bool Update = false;
    bool Freshen = false;
    bool JunkSFX = false;
    bool LatestTime = false;
    QString NameOfZipFile;
    // Where the archive goes instead of the file NameOfZipFile, which then
    // only names it in messages; for new archives of stored files only.
    ZipOutput* Output = nullptr;
    QDateTime TheDate;  // goes with Date, which is refused
    TInfoZipPrint OnPrint;

    // Kept after Execute; the caller clears it before the next use.
    QStringList FileList;

    // Writes NameOfZipFile. Raises EInfoZipException with a clear message when
    // an option is refused, nothing matches, or the archive cannot be written;
    // the archive on disk is then as it was.
    void Execute();
};

}  // namespace vellora
