#pragma once

#include <QString>

namespace vellora {

// Persistent database aliases: names (case-insensitive) for database
// directories, kept in a small INI file that survives the program.
class AliasRegistry {
public:
    explicit AliasRegistry(const QString& iniFile);

    bool contains(const QString& alias) const;
    QString path(const QString& alias) const;  // empty when unknown
    // Adds or replaces an alias. Throws StoreError when the file cannot be written.
    void add(const QString& alias, const QString& path);
    void remove(const QString& alias);

    const QString& fileName() const { return file_; }

private:
    QString file_;
};

}  // namespace vellora
