#include "forms/compact/form3.h"
#include "forms/compact/mini_caption.h"
#include "platform/controls.h"
#include "platform/palette.h"
#include "platform/program_folder.h"

#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>
#include <gtest/gtest.h>

#include <optional>

namespace {

TEST(MiniLook, CaptionAndTranslationColourFollowTheDifference) {
    const struct {
        int lenOriginal;
        int lenTranslation;
        const char* caption;
        QColor colour;
    } rows[] = {{4, 6, "Mini Counter [+2]", palette::kRed},
                {10, 7, "Mini Counter [-3]", palette::kGreen},
                {0, 0, "Mini Counter [0]", QColor(236, 200, 32)},
                {32767, 0, "Mini Counter [-32767]", palette::kGreen}};
    for (const auto& row : rows) {
        const MiniLook look = miniLook(row.lenOriginal, row.lenTranslation);
        EXPECT_EQ(look.caption, QLatin1String(row.caption));
        EXPECT_EQ(look.translationColour, row.colour) << row.caption;
    }
}

// The Mini Counter on its own: no Fast Counter, no loop.
class MiniCounter : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        platform::setProgramFolderForTests(folder.path());
    }
    void TearDown() override {
        mini.unload();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        platform::setProgramFolderForTests({});
    }
    void putFile(const char* name, const std::optional<QByteArray>& bytes) {
        QFile file(folder.filePath(QLatin1String(name)));
        file.remove();
        ASSERT_TRUE(!bytes || (file.open(QIODevice::WriteOnly) && file.write(*bytes) >= 0));
    }
    QLineEdit* box(const char* name) { return mini.control<QLineEdit>(QLatin1String(name)); }
    QString caption() { return mini.window()->windowTitle(); }

    QTemporaryDir folder;
    Form3 mini;
};

TEST_F(MiniCounter, LoadReadsWhatItCanAndOpensAnyway) {
    putFile("cord", QByteArray("0\r\n0\r\n0\r\n0\r\nx\r\ny\r\n"));
    mini.load();
    const QPoint unplaced = mini.loadedWindow()->pos(); // where a window opens by itself
    mini.unload();
    const struct {
        QByteArray miniLines; // lines 5 and 6 of the position file
        std::optional<QByteArray> texts;
        int x, y; // -1: where the window opens by itself
        const char* text1;
        const char* text2;
        const char* caption;
    } rows[] = {{"1500\r\n-750\r\n", "Ciao\r\nSalve!\r\n", 100, -50, "Ciao", "Salve!", " [+2]"},
                {"abc\r\n750\r\n", "Ciao\r\n", -1, 50, "Ciao", "", " [-4]"},
                {"1500\r\n", std::nullopt, 100, -1, "", "", ""}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.miniLines.constData());
        putFile("cord", "0\r\n0\r\n0\r\n0\r\n" + row.miniLines);
        putFile("test", row.texts);
        mini.load();
        EXPECT_TRUE(mini.loadedWindow()->isVisible());
        EXPECT_EQ(mini.loadedWindow()->pos(),
                  QPoint(row.x == -1 ? unplaced.x() : row.x, row.y == -1 ? unplaced.y() : row.y));
        EXPECT_EQ(box("Text1")->text(), QLatin1String(row.text1));
        EXPECT_EQ(box("Text2")->text(), QLatin1String(row.text2));
        EXPECT_EQ(caption(), QStringLiteral("Mini Counter") + QLatin1String(row.caption));
        mini.unload();
    }
}

// Typing in either box retitles and recolours the translation; the tool tips describe the
// text under the mouse at every move.
TEST_F(MiniCounter, TypingRetitlesAndRecoloursAndMovesRefreshTheToolTips) {
    putFile("test", QByteArray("abc\r\nxyz\r\n"));
    mini.load();
    const auto moveOver = [this](const char* name) {
        QTest::mouseMove(mini.loadedWindow()->windowHandle(), box(name)->geometry().center());
        return box(name)->toolTip();
    };
    EXPECT_EQ(caption(), QStringLiteral("Mini Counter [0]"));
    QTest::keyClicks(box("Text1"), QStringLiteral("d"));
    EXPECT_EQ(caption(), QStringLiteral("Mini Counter [-1]"));
    EXPECT_EQ(platform::textColour(box("Text2")), palette::kGreen);
    EXPECT_EQ(mini.lenDiff(), -1);
    QTest::keyClicks(box("Text2"), QStringLiteral("yz"));
    EXPECT_EQ(caption(), QStringLiteral("Mini Counter [+1]"));
    EXPECT_EQ(platform::textColour(box("Text2")), palette::kRed);
    EXPECT_EQ(platform::textColour(box("Text1")), palette::kWhite);

    box("Text1")->setText(QStringLiteral("Ciao mondo."));
    box("Text2")->clear();
    EXPECT_EQ(moveOver("Text1"), QStringLiteral("Spazi:1 Parole:2 Frasi:1"));
    EXPECT_EQ(moveOver("Text2"), QStringLiteral("Spazi:0 Parole:0 Frasi:0"));
    QTest::keyClicks(box("Text1"), QStringLiteral(" Si"));
    EXPECT_EQ(moveOver("Text1"), QStringLiteral("Spazi:2 Parole:3 Frasi:1"));
}

} // namespace
