#include "MediaRenumbering.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QSet>
#include <QTemporaryDir>

#include "FileNames.h"
#include "StoreError.h"
#include "Texts.h"

namespace vellora {
namespace {

// Files that no row names and that stand in a renamed file's way go here,
// inside the staging directory; the prefix keeps them apart from the media
// names staged beside them.
const QString kAsidePrefix = QStringLiteral("~");

}  // namespace

MediaRenumbering::MediaRenumbering(QString directory, RenameFn rename)
    : directory_(std::move(directory)), rename_(std::move(rename)) {
    if (!rename_) rename_ = [](const QString& from, const QString& to) { return QFile::rename(from, to); };
}

void MediaRenumbering::add(const QString& prefix, const QString& extension, qint64 oldNumber, qint64 newNumber) {
    plan_.push_back({FilePath(prefix, oldNumber, extension), FilePath(prefix, newNumber, extension)});
}

bool MediaRenumbering::move(const QString& from, const QString& to) {
    if (!rename_(from, to)) return false;
    done_.push_back({from, to});
    return true;
}

void MediaRenumbering::fail(const QString& from, const QString& to) {
    undo();
    throw StoreError(StoreError::Code::Io,
                     texts::kCannotRenameMedia.arg(QDir::toNativeSeparators(from), QDir::toNativeSeparators(to)));
}

void MediaRenumbering::apply() {
    if (plan_.empty()) return;
    const QDir dir(directory_);
    // One listing of the directory, so that the cost stays linear in the
    // number of files, and names are matched without regard to case.
    QHash<QString, QStringList> byLowerName;
    const QStringList names = dir.entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& name : names) byLowerName[name.toLower()].append(name);

    struct Item {
        QString from;  // actual name in the directory
        QString to;    // new name
    };
    std::vector<Item> items;
    QSet<QString> moving;  // lower-case names of the files being renamed
    for (const Planned& p : plan_) {
        const QStringList found = byLowerName.value(p.oldName.toLower());
        if (found.isEmpty()) {
            ++missing_;
            continue;
        }
        // Prefer the name exactly as the program writes it when a
        // case-sensitive file system holds several spellings.
        const QString actual = found.contains(p.oldName) ? p.oldName : found.first();
        items.push_back({actual, p.newName});
        moving.insert(p.oldName.toLower());
    }
    if (items.empty()) return;

    QTemporaryDir staging(dir.filePath(QStringLiteral(".renumber-XXXXXX")));
    staging.setAutoRemove(false);
    if (!staging.isValid())
        throw StoreError(StoreError::Code::Io, texts::kCannotStageMedia.arg(QDir::toNativeSeparators(directory_)));
    staging_ = staging.path();
    const QDir stage(staging_);

    for (const Item& it : items) {
        const QString from = dir.filePath(it.from);
        const QString to = stage.filePath(it.to);
        if (!move(from, to)) fail(from, to);
    }
    for (const Item& it : items) {
        const QString lower = it.to.toLower();
        if (!moving.contains(lower)) {
            for (const QString& occupant : byLowerName.value(lower)) {
                const QString from = dir.filePath(occupant);
                const QString to = stage.filePath(kAsidePrefix + occupant);
                if (!move(from, to)) fail(from, to);
            }
        }
        const QString from = stage.filePath(it.to);
        const QString to = dir.filePath(it.to);
        if (!move(from, to)) fail(from, to);
        ++renamed_;
    }
}

bool MediaRenumbering::undo() {
    bool ok = true;
    for (auto it = done_.rbegin(); it != done_.rend(); ++it)
        if (!rename_(it->to, it->from)) ok = false;
    done_.clear();
    renamed_ = 0;
    // Only an empty staging directory goes; anything left in it is a file
    // that could not be moved back, and it is kept.
    if (ok && !staging_.isEmpty()) QDir().rmdir(staging_);
    return ok;
}

void MediaRenumbering::finish() {
    done_.clear();
    if (!staging_.isEmpty()) QDir(staging_).removeRecursively();
    staging_.clear();
}

}  // namespace vellora
