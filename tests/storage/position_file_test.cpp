#include "storage/position_file.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QLocale>
#include <QTemporaryDir>

#include <optional>

namespace {

using storage::PositionFile;
using storage::PositionLine;
constexpr auto none = std::nullopt;

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

bool putBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

struct DamagedRow {
    const char* name;
    std::optional<QByteArray> bytes;         // nullopt: no file
    std::array<std::optional<int>, 6> twips; // lines not given: unreadable
};

// Read, fill what could not be read, save, read again: the saved file is complete and every
// line that was readable comes back exactly as it was written.
TEST(DamagedPositionFileTest, ReadsWhatCanBeReadAndTheNextSaveIsComplete) {
    // clang-format off
    const DamagedRow rows[] = {
        {"complete", "1200\r\n-45\r\n0\r\n15\r\n-30000\r\n7\r\n", {1200, -45, 0, 15, -30000, 7}},
        {"missing", none, {}},
        {"empty", "", {}},
        {"two_lines", "1200\r\n-45\r\n", {1200, -45}},
        {"lf_only_and_no_final_end", "1\n2\n3\n4\n5\n6", {1, 2, 3, 4, 5, 6}},
        {"seven_lines", "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n", {1, 2, 3, 4, 5, 6}},
        {"not_numbers", "abc\r\n\r\n12abc\r\nnan\r\ninf\r\n0x10\r\n", {}},
        {"fractions", "1200.0\r\n1200.5\r\n1201.5\r\n-0.5\r\n1.5e3\r\n-45.7\r\n", {1200, 1200, 1202, 0, 1500, -46}},
        {"int_range", "2147483647\r\n-2147483648\r\n2147483648\r\n-2147483649\r\n1e300\r\n 15 \r\n",
         {2147483647, -2147483647 - 1, none, none, none, 15}},
        {"not_utf8", "1\r\n2\xE9\r\n3\r\n", {1, none, 3}},
        {"megabyte_lines", QByteArray(1 << 20, '7') + "\r\n" + QByteArray(1 << 20, ' ') + "\r\n5\r\n", {none, none, 5}},
    };
    // clang-format on
    for (const DamagedRow& row : rows) {
        SCOPED_TRACE(row.name);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("cord"));
        ASSERT_TRUE(!row.bytes || putBytes(path, *row.bytes));
        const PositionFile file = PositionFile::read(path);
        EXPECT_EQ(file.existed(), row.bytes.has_value());
        PositionFile filled = file;
        filled.fillUnreadable({10, 20, 30, 40, 50, 60});
        ASSERT_FALSE(filled.write(path)); // nullopt: saved
        const PositionFile saved = PositionFile::read(path);
        EXPECT_EQ(fileBytes(path).count("\r\n"), 6);
        for (int i = 0; i < 6; ++i) {
            const auto which = PositionLine(i);
            EXPECT_EQ(file.twips(which), row.twips[i]) << "line " << i + 1;
            EXPECT_EQ(saved.twips(which), row.twips[i].value_or((i + 1) * 10)) << "line " << i + 1;
            EXPECT_TRUE(!row.twips[i] || saved.line(which) == file.line(which)) << "line " << i + 1;
        }
    }
}

TEST(PositionFileTest, ReadsTheUsersDecimalSeparatorAndWritesWithoutGrouping) {
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    PositionFile file = PositionFile::parse("1200,5\r\n-45,7\r\n");
    file.setTwips(storage::FastLeft, 1234567);
    EXPECT_EQ(file.twips(storage::MainLeft), 1200);
    EXPECT_EQ(file.twips(storage::MainTop), -46);
    QLocale::setDefault(QLocale::system());
    EXPECT_EQ(file.line(storage::FastLeft), QStringLiteral("1234567"));
}

} // namespace
