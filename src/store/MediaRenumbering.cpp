#include "MediaRenumbering.h"

#include <QDir>
#include <QFile>
#include <QHash>
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
    if (!rename_)
        rename_ = [](const QString& from, const QString& to) { return QFile::rename(from, to); };
}

void MediaRenumbering::add(const QString& prefix, const QString& extension, qint64 oldNumber,
                           qint64 newNumber) {
    plan_.push_back(
        {FilePath(prefix, oldNumber, extension), FilePath(prefix, newNumber, extension)});
}

bool MediaRenumbering::move(const QString& from, const QString& to) {
    if (!rename_(from, to)) return false;
    done_.push_back({from, to});
    return true;
}

void MediaRenumbering::fail(const QString& from, const QString& to) {
    undo();
    throw StoreError(StoreError::Code::Io,
                     texts::kCannotRenameMedia.arg(QDir::toNativeSeparators(from),
                                                   QDir::toNativeSeparators(to)));
}

QString MediaRenumbering::stagingPath(const QString& name) {
    if (staging_.isEmpty()) {
        QTemporaryDir staging(QDir(directory_).filePath(QStringLiteral(".renumber-XXXXXX")));
        staging.setAutoRemove(false);
        if (!staging.isValid())
            throw StoreError(StoreError::Code::Io,
                             texts::kCannotStageMedia.arg(QDir::toNativeSeparators(directory_)));
        staging_ = staging.path();
    }
    return QDir(staging_).filePath(name);
}

void MediaRenumbering::apply() {
    if (plan_.empty()) return;
    const QDir dir(directory_);
    // One listing of the directory, so that the cost stays linear in the
    // number of files, and names are matched without regard to case.
    QHash<QString, QStringList> byLowerName;
    const QStringList names =
        dir.entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& name : names) byLowerName[name.toLower()].append(name);

    struct Item {
        QString name;      // its name in the directory
        QString from;      // where the file is now
        QString to;        // its new name
        int blocker = -1;  // the item whose file holds `to` until it moves
        int state = 0;     // 0 waiting, 1 on the current chain, 2 done
    };
    std::vector<Item> items;
    QHash<QString, int> byOldName;  // lower-case old name -> item
    for (const Planned& p : plan_) {
        const QStringList found = byLowerName.value(p.oldName.toLower());
        if (found.isEmpty()) {
            ++missing_;
            continue;
        }
        // Prefer the name exactly as the program writes it when a
        // case-sensitive file system holds several spellings.
        const QString actual = found.contains(p.oldName) ? p.oldName : found.first();
        byOldName.insert(p.oldName.toLower(), int(items.size()));
        items.push_back({actual, dir.filePath(actual), p.newName});
    }

    for (size_t i = 0; i < items.size(); ++i) {
        Item& it = items[i];
        const QString lower = it.to.toLower();
        const int holder = byOldName.value(lower, -1);
        if (holder >= 0 && holder != int(i)) it.blocker = holder;
        // A file that no row names holds the new name (in some spelling): it
        // would otherwise pass for the new row's media, so it is moved aside.
        const QString held = holder >= 0 ? items[size_t(holder)].name : QString();
        for (const QString& occupant : byLowerName.value(lower)) {
            if (occupant == held) continue;
            const QString from = dir.filePath(occupant);
            const QString to = stagingPath(kAsidePrefix + occupant);
            if (!move(from, to)) fail(from, to);
        }
    }

    std::vector<int> chain;
    for (size_t start = 0; start < items.size(); ++start) {
        if (items[start].state != 0) continue;
        // Walk to the free end of the chain of files waiting for each other.
        chain.clear();
        int cur = int(start);
        while (cur >= 0 && items[size_t(cur)].state == 0) {
            items[size_t(cur)].state = 1;
            chain.push_back(cur);
            cur = items[size_t(cur)].blocker;
        }
        if (cur >= 0 && items[size_t(cur)].state == 1) {
            // A closed chain: free its first name by staging that file.
            Item& opener = items[size_t(cur)];
            const QString to = stagingPath(opener.to);
            if (!move(opener.from, to)) fail(opener.from, to);
            opener.from = to;
        }
        for (auto k = chain.rbegin(); k != chain.rend(); ++k) {
            Item& it = items[size_t(*k)];
            const QString to = dir.filePath(it.to);
            if (it.from != to && !move(it.from, to)) fail(it.from, to);
            it.state = 2;
            ++renamed_;
        }
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
