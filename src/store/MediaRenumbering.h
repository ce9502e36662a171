#pragma once

#include <QString>
#include <functional>
#include <vector>

namespace vellora {

// Gives the media files of a copied lesson the names of their new
// registration numbers inside one directory.
//
// Renaming in place can collide: a new number may equal the old number of a
// file still waiting for its own new name. The renames therefore follow the
// chains of such collisions from their free end (B moves to C before A moves
// to B), and a closed chain is opened by moving one file to a private staging
// directory first. No rename ever replaces a file. Every move is recorded so
// that the whole renaming can be undone when the database work it belongs to
// is rolled back.
class MediaRenumbering {
  public:
    // Renames one file; answers false on failure and must not replace an
    // existing file.
    using RenameFn = std::function<bool(const QString& from, const QString& to)>;

    explicit MediaRenumbering(QString directory, RenameFn rename = {});
    MediaRenumbering(const MediaRenumbering&) = delete;
    MediaRenumbering& operator=(const MediaRenumbering&) = delete;

    // Plans one file: prefix + old number + extension becomes prefix + new
    // number + extension. Only files whose row says they exist are planned.
    void add(const QString& prefix, const QString& extension, qint64 oldNumber, qint64 newNumber);
    int planned() const { return int(plan_.size()); }

    // Renames every planned file that is there (names compared without regard
    // to case; a planned file that is missing is skipped). A file that no row
    // names but that holds a new name is moved aside, since it would otherwise
    // pass for the new row's media. On a failure everything done is undone and
    // StoreError (Io) is raised.
    void apply();
    // Puts every file back where apply() found it. Answers false when a file
    // could not be moved back; it then stays in the staging directory.
    bool undo();
    // Makes the renaming final: drops the files moved aside and the staging
    // directory.
    void finish();

    int renamed() const { return renamed_; }
    int missing() const { return missing_; }

  private:
    struct Planned {
        QString oldName;
        QString newName;
    };
    struct Move {
        QString from;
        QString to;
    };
    bool move(const QString& from, const QString& to);
    void fail(const QString& from, const QString& to);
    QString stagingPath(const QString& name);

    QString directory_;
    RenameFn rename_;
    std::vector<Planned> plan_;
    std::vector<Move> done_;
    QString staging_;
    int renamed_ = 0;
    int missing_ = 0;
};

}  // namespace vellora
