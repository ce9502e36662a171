#pragma once

// Files with known content, and what a directory holds.

#include <gtest/gtest.h>

#include <QByteArray>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QString>
#include <QStringList>
#include <map>

namespace vellora::testing {

// Content that differs at every position, so a shifted or repeated block shows.
inline QByteArray patternBytes(qsizetype size, int seed) {
    QByteArray data(size, Qt::Uninitialized);
    quint32 x = 2166136261u ^ quint32(seed);
    for (qsizetype i = 0; i < size; ++i) {
        x = x * 1664525u + 1013904223u;
        data[i] = char(x >> 24);
    }
    return data;
}

inline void writeFile(const QString& path, const QByteArray& data) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    ASSERT_EQ(f.write(data), data.size());
}

inline QByteArray readFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return QByteArray("<missing>");
    return f.readAll();
}

// Every entry directly in a directory, name -> content ("<dir>" for a directory).
inline std::map<QString, QByteArray> filesIn(const QString& directory) {
    std::map<QString, QByteArray> files;
    for (const QFileInfo& f : QDir(directory).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                                            QDir::NoDotAndDotDot))
        files[f.fileName()] = f.isDir() ? QByteArray("<dir>") : readFile(f.absoluteFilePath());
    return files;
}

inline QStringList namesIn(const QString& directory) {
    QStringList names;
    for (const auto& [name, bytes] : filesIn(directory)) names << name;
    return names;
}

// Every path below `root`, relative to it, sorted; directories end in "/".
inline QStringList treeOf(const QString& root) {
    QStringList found;
    QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        found << QDir(root).relativeFilePath(info.filePath()) +
                     (info.isDir() && !info.isSymLink() ? QStringLiteral("/") : QString());
    }
    found.sort();
    return found;
}

}  // namespace vellora::testing
