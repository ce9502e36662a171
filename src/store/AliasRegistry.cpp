#include "AliasRegistry.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

#include "StoreError.h"

namespace vellora {
namespace {

QString groupOf(const QString& alias) { return QStringLiteral("Alias_") + alias.toUpper(); }

void check(const QSettings& s, const QString& file) {
    if (s.status() != QSettings::NoError)
        throw StoreError(StoreError::Code::Io,
                         QStringLiteral("Cannot write the alias file %1").arg(QDir::toNativeSeparators(file)));
}

}  // namespace

AliasRegistry::AliasRegistry(const QString& iniFile) : file_(iniFile) {}

bool AliasRegistry::contains(const QString& alias) const {
    QSettings s(file_, QSettings::IniFormat);
    return s.contains(groupOf(alias) + QStringLiteral("/PATH"));
}

QString AliasRegistry::path(const QString& alias) const {
    QSettings s(file_, QSettings::IniFormat);
    return s.value(groupOf(alias) + QStringLiteral("/PATH")).toString();
}

void AliasRegistry::add(const QString& alias, const QString& path) {
    QDir().mkpath(QFileInfo(file_).absolutePath());
    QSettings s(file_, QSettings::IniFormat);
    s.beginGroup(groupOf(alias));
    s.setValue(QStringLiteral("NAME"), alias);
    s.setValue(QStringLiteral("TYPE"), QStringLiteral("STANDARD"));
    s.setValue(QStringLiteral("PATH"), path);
    s.endGroup();
    s.sync();
    check(s, file_);
}

void AliasRegistry::remove(const QString& alias) {
    QSettings s(file_, QSettings::IniFormat);
    s.remove(groupOf(alias));
    s.sync();
    check(s, file_);
}

}  // namespace vellora
