#include "storage/state_files.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <tuple>

namespace {

using Twips = std::array<int, storage::positionLineCount>;

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// The main window is 4230 / twips-per-pixel wide, rounded half to even: 352.5 gives 352, and
// (1920 - 352) / 2 is 784 where 353 would give 783. -797 * 13.5 twips rounds to even -10760.
TEST(DefaultPositionsTest, CentreTheMainWindowWithTheFastCounterBesideIt) {
    const std::tuple<QRect, double, double, Twips> rows[] = {
        {QRect(0, 0, 1024, 768), 15, 15, {5565, 2805, 10035, 2805, 5565, 2805}},
        {QRect(100, 50, 1920, 1081), 12, 10, {10608, 2950, 15030, 2950, 10608, 2950}},
        {QRect(-1280, 0, 1280, 1024), 13.5, 13.5, {-10760, 3956, -6314, 3956, -10760, 3956}}};
    for (const auto& [screen, perPixelX, perPixelY, twips] : rows) {
        EXPECT_EQ(storage::defaultPositionsTwips(screen, perPixelX, perPixelY), twips) << perPixelX;
    }
}

class StateFilesTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QStringList reports;
    storage::StateFiles files{dir.path(), [] { return Twips{1, 2, 3, 4, 5, 6}; },
                              [this](const QString& problem) { reports.append(problem); }};
};

TEST_F(StateFilesTest, FirstRunCreatesBothFilesAndReadsTheDefaults) {
    EXPECT_EQ(files.readPositions().twips(storage::MiniTop), 6);
    const storage::TextLines texts = files.readTexts();
    EXPECT_FALSE(texts.existed || texts.orig || texts.trans);
    EXPECT_EQ(fileBytes(files.positionFilePath()), "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n");
    EXPECT_EQ(fileBytes(files.textFilePath()), "\r\n\r\n");
    EXPECT_EQ(files.defaultTwips(storage::FastTop), 4);
    EXPECT_TRUE(reports.isEmpty()) << reports.join(u'\n').toStdString();
}

// A window's unload replaces its own two lines; the others keep their text character for
// character, whatever line ends they had, and only an unreadable one gets its default.
TEST_F(StateFilesTest, SaveReplacesOnlyItsOwnLines) {
    // file before, the window's first line, its Left and Top, file after, problems reported
    const std::tuple<QByteArray, storage::PositionLine, int, int, QByteArray, qsizetype> rows[] = {
        {"  1200\n-45.0\r\n1\r\n2\r\n+7\r\n\xE9", storage::FastLeft, -15, 300,
         "  1200\r\n-45.0\r\n-15\r\n300\r\n+7\r\n6\r\n", 2},
        {"10\r\n20\r\nabc\r\n40", storage::MiniLeft, 7, 8, "10\r\n20\r\n3\r\n40\r\n7\r\n8\r\n", 2},
        {"", storage::MainLeft, 0, -1, "0\r\n-1\r\n3\r\n4\r\n5\r\n6\r\n", 1}};
    for (const auto& [before, left, leftTwips, topTwips, after, problems] : rows) {
        QFile file(files.positionFilePath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(before) == before.size());
        file.close();
        reports.clear();
        files.savePosition(left, leftTwips, topTwips);
        EXPECT_EQ(fileBytes(files.positionFilePath()), after) << before.constData();
        EXPECT_EQ(reports.filter(files.positionFilePath()).size(), problems);
    }
}

} // namespace
