#pragma once

// Archives built and read directly with libzip, including ones our own
// writer would never make.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <zip.h>

#include <QDateTime>
#include <QTemporaryDir>
#include <optional>
#include <vector>

#include "IUnzip.h"
#include "TestFiles.h"

namespace vellora::testing {

using namespace Qt::StringLiterals;

struct RawEntry {
    RawEntry(const QByteArray& name, const QByteArray& data, zip_int32_t method = ZIP_CM_STORE,
             std::optional<quint32> unixMode = {})  // e.g. S_IFLNK | 0777
        : name(name), data(data), method(method), unixMode(unixMode) {}
    QByteArray name;
    QByteArray data;
    zip_int32_t method;
    std::optional<quint32> unixMode;
};

// Builds an archive with libzip exactly as told, names unchecked.
inline void buildZip(const QString& path, const std::vector<RawEntry>& entries,
                     const QByteArray& comment = {}) {
    int error = 0;
    zip_t* za = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    ASSERT_NE(za, nullptr) << error;
    for (const RawEntry& e : entries) {
        zip_source_t* src =
            zip_source_buffer(za, e.data.constData(), zip_uint64_t(e.data.size()), 0);
        ASSERT_NE(src, nullptr);
        const zip_int64_t index = zip_file_add(za, e.name.constData(), src, ZIP_FL_ENC_RAW);
        ASSERT_GE(index, 0) << zip_strerror(za) << " " << e.name.constData();
        ASSERT_EQ(zip_set_file_compression(za, zip_uint64_t(index), e.method, 0), 0);
        if (e.unixMode) {
            ASSERT_EQ(zip_file_set_external_attributes(za, zip_uint64_t(index), 0, ZIP_OPSYS_UNIX,
                                                       *e.unixMode << 16),
                      0);
        }
    }
    if (!comment.isEmpty()) {
        ASSERT_EQ(zip_set_archive_comment(za, comment.constData(), zip_uint16_t(comment.size())),
                  0);
    }
    ASSERT_EQ(zip_close(za), 0) << zip_strerror(za);
}

// The bytes of an archive of `entries`, as buildZip makes it.
inline QByteArray zipBytes(const std::vector<RawEntry>& entries) {
    const QTemporaryDir dir;
    const QString path = dir.filePath(u"a.zip"_s);
    buildZip(path, entries);
    return readFile(path);
}

inline void setModified(const QString& path, const QDateTime& when) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_TRUE(f.setFileTime(when, QFileDevice::FileModificationTime)) << path.toStdString();
}

// Unpacks `archive` into `dest`, made first.
inline void unzipInto(const QString& archive, const QString& dest) {
    QDir().mkpath(dest);
    TIUnzip unzip;
    unzip.FileName = archive;
    unzip.Dest = dest;
    unzip.Execute();
}

struct EntryInfo {
    QString name;
    zip_uint64_t size;
    zip_uint16_t method;
    time_t mtime;
    QByteArray data;  // read to its end, so that libzip checks its CRC
};

// The entries of an archive as libzip reads them.
inline std::vector<EntryInfo> entriesOf(const QString& path) {
    std::vector<EntryInfo> result;
    int error = 0;
    zip_t* za = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY | ZIP_CHECKCONS, &error);
    if (!za) {
        ADD_FAILURE() << "cannot open " << path.toStdString() << ": " << error;
        return result;
    }
    for (zip_uint64_t i = 0; i < zip_uint64_t(zip_get_num_entries(za, 0)); ++i) {
        zip_stat_t st;
        zip_stat_index(za, i, 0, &st);
        QByteArray data(qsizetype(st.size) + 1, '\0');
        zip_file_t* in = zip_fopen_index(za, i, 0);
        EXPECT_EQ(in ? zip_fread(in, data.data(), st.size + 1) : -1, zip_int64_t(st.size))
            << st.name;
        if (in) {
            EXPECT_EQ(zip_fclose(in), 0) << st.name;
        }
        data.chop(1);
        result.push_back({QString::fromUtf8(st.name), st.size, st.comp_method, st.mtime, data});
    }
    zip_discard(za);
    return result;
}

inline QStringList namesOf(const QString& path) {
    QStringList names;
    for (const EntryInfo& e : entriesOf(path)) names << e.name;
    names.sort();
    return names;
}

}  // namespace vellora::testing
