#pragma once

#include <QString>
#include <memory>

#include "AliasRegistry.h"
#include "Database.h"

namespace vellora {

class Dialogs;
class StatusLine;

// Finds the working database at start-up, repairs a missing alias, directory
// or tables, and creates the lesson tables of any database.
class HandleDataBase {
public:
    static inline const QString kAlias = QStringLiteral("Ques002");
    // How often a missing database directory is tried before start-up gives up.
    static constexpr int kDirectoryAttempts = 3;

    HandleDataBase(const QString& programDir, Dialogs& dialogs, StatusLine& status);
    ~HandleDataBase();

    // Opens the working database through the alias, repairing what is missing.
    // Throws HDDBExeption when the user declines to create the database or its
    // directory cannot be made; StoreError for a damaged database.
    void OpenDataBase();
    void CreateAlias();
    // Creates the four tables in `path`, showing progress in the status line.
    // `durable` as for Database::createTables.
    void CreateNewDatabase(const QString& path, const QString& databaseName, bool autoIncKeys, bool durable = true);
    // Creates the four tables in the database directory `directory`.
    static void CreateTables(const QString& directory, bool autoIncKeys, bool durable = true);

    bool DataBaseOpen() const { return dataBaseOpen_; }
    // The working database; only valid while DataBaseOpen().
    Database& database();
    AliasRegistry& aliases() { return aliases_; }
    const QString& programDir() const { return programDir_; }
    QString workingDirectory() const;  // ProgramDir/db

private:
    QString programDir_;
    Dialogs& dialogs_;
    StatusLine& status_;
    AliasRegistry aliases_;
    std::unique_ptr<Database> db_;
    bool dataBaseOpen_ = false;
};

}  // namespace vellora
