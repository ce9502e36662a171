#include "HandleDataBase.h"

#include <QDir>
#include <QFileInfo>

#include "Dialogs.h"
#include "StatusLine.h"
#include "Texts.h"

namespace vellora {

HandleDataBase::HandleDataBase(const QString& programDir, Dialogs& dialogs, StatusLine& status)
    : programDir_(QDir::cleanPath(programDir)),
      dialogs_(dialogs),
      status_(status),
      aliases_(QDir(programDir_).filePath(QStringLiteral("aliases.ini"))) {}

HandleDataBase::~HandleDataBase() = default;

QString HandleDataBase::workingDirectory() const { return QDir(programDir_).filePath(QStringLiteral("db")); }

Database& HandleDataBase::database() {
    if (!db_) throw HDDBExeption(QStringLiteral("The working database is not open"));
    return *db_;
}

void HandleDataBase::OpenDataBase() {
    int directoryFailures = 0;
    bool askedToCreate = false;
    for (;;) {
        try {
            if (!db_) {
                auto db = std::make_unique<Database>(Database::resolve(kAlias, &aliases_));
                // Databases made before the lookup indexes existed get them here.
                db->ensureIndexes();
                db_ = std::move(db);
            }
            dataBaseOpen_ = true;
            return;
        } catch (const StoreError& e) {
            switch (e.code()) {
                case StoreError::Code::UnknownDatabase:
                    CreateAlias();
                    break;
                case StoreError::Code::TableDoesNotExist:
                    // Asked once: a second miss right after creating would mean
                    // the tables cannot be made there, which creating reports.
                    if (askedToCreate) throw;
                    if (!dialogs_.confirm(texts::kDatabaseNotFound, texts::kInvalidDatabase))
                        throw HDDBExeption(texts::kCodeNotDone);
                    askedToCreate = true;
                    CreateNewDatabase(Database::resolve(kAlias, &aliases_), kAlias, true);
                    break;
                case StoreError::Code::PathNotFound: {
                    const QString dir = Database::resolve(kAlias, &aliases_);
                    // One level only, as the alias names it.
                    if (!QDir().mkdir(dir) && !QFileInfo(dir).isDir()) {
                        dialogs_.warning(texts::kCannotCreateDirectory);
                        if (++directoryFailures >= kDirectoryAttempts)
                            throw HDDBExeption(texts::kCannotCreateDirectory + QStringLiteral(": ") +
                                               QDir::toNativeSeparators(dir));
                    }
                    break;
                }
                default:
                    throw;
            }
        }
    }
}

void HandleDataBase::CreateAlias() { aliases_.add(kAlias, workingDirectory()); }

void HandleDataBase::CreateNewDatabase(const QString& path, const QString& databaseName, bool autoIncKeys,
                                       bool durable) {
    status_.Status(QString(), path + databaseName, 25);
    CreateTables(path, autoIncKeys, durable);
}

void HandleDataBase::CreateTables(const QString& directory, bool autoIncKeys, bool durable) {
    Database::createTables(directory, autoIncKeys, durable);
}

}  // namespace vellora
