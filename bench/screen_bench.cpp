// The screen measure of a 2,000-character translation, as the main window recounts it at
// every key, the whole recount of the main window's byte and screen lines, and the re-wrap of
// one script line; the box preview of the same translation drawn again and painted.
#include "core/box_picture.h"
#include "core/screen_widths.h"
#include "core/wrap.h"
#include "forms/main/byte_meter.h"
#include "forms/main/screen_meter.h"
#include "storage/font_sheet.h"

#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>
#include <string>

namespace {

// Letters and blank on one byte, 120 two-letter entries, a labelled line break and a box code;
// a proportional font of 3 to 8 pixels with a gap of 1, 3 lines of 144 pixels a box.
struct Setup {
    std::string tbl = "20= \n*FE=<br>\nFC=<box>\n/FF=<end>\n";
    std::string wid = "@line=144\n@lines=3\n@gap=1\n@default=6\nFC=box\n20=3\n";
    encoding::TableEncoding table;
    screen::WidthFile widths;
    std::u16string text;

    Setup() {
        std::mt19937 random(7);
        const std::string letters = "abcdefghijklmnopqrstuvwxyz";
        for (std::size_t i = 0; i < letters.size(); ++i) {
            const std::string code = std::to_string(41 + i);
            tbl += code + '=' + letters[i] + '\n';
            wid += code + '=' + std::to_string(3 + random() % 6) + '\n';
        }
        for (int i = 0; i < 120; ++i) {
            tbl += std::to_string(8100 + i) + '=' + letters[random() % 26] +
                   letters[random() % 26] + '\n';
        }
        table = encoding::TableEncoding::read(tbl);
        widths = screen::WidthFile::read(wid).file;
        while (text.size() < 2000) {
            for (int n = 2 + static_cast<int>(random() % 7); n > 0; --n) {
                text += static_cast<char16_t>(u'a' + random() % 26);
            }
            text += random() % 12 == 0 ? u"<br>" : u" ";
        }
        text.resize(2000);
    }
};

void BM_MeasureATranslationOf2000Characters(benchmark::State& state) {
    const Setup setup;
    const screen::ScreenMeasure screen(setup.table, setup.widths);
    for (auto _ : state) {
        benchmark::DoNotOptimize(screen.measure(setup.text));
    }
}
BENCHMARK(BM_MeasureATranslationOf2000Characters)->Unit(benchmark::kMicrosecond);

// What the main window does when the translation changes with a table and its width file: both
// meters take the new text and give the captions, colours and tool tips of their lines.
void BM_RecountTheBytesAndTheScreenOf2000Characters(benchmark::State& state) {
    const Setup setup;
    ByteMeter bytes;
    if (!bytes.load(QByteArray::fromStdString(setup.tbl))) {
        state.SkipWithError("the table holds no entry");
        return;
    }
    ScreenMeter screen;
    screen.load(bytes.table(), setup.widths);
    const QString text = QString::fromStdU16String(setup.text);
    for (auto _ : state) {
        bytes.setText(Box::Translation, text);
        screen.setText(Box::Translation, text);
        benchmark::DoNotOptimize(bytes.look());
        benchmark::DoNotOptimize(screen.look());
    }
}
BENCHMARK(BM_RecountTheBytesAndTheScreenOf2000Characters)->Unit(benchmark::kMicrosecond);

// The recount and the preview's repaint at a key: the screen line, then the picture drawn from
// a sheet of 8x10 cells into the same memory as at the last key and painted at scale 2, clipped
// to what the window's scroll area shows of it: the buttons' width and three boxes.
constexpr int kPreviewWidthPixels = 249;
void BM_RecountAndRepaintThePreviewOf2000Characters(benchmark::State& state) {
    Setup setup;
    setup.widths.fontSheet = "sheet.png";
    setup.widths.cellWidth = 8;
    setup.widths.cellHeight = 10;
    setup.widths.firstCode = 0x20;
    boxpicture::Pixels pixels{128, 100, std::vector<std::uint32_t>(128 * 100, 0xFF182058)};
    for (std::size_t i = 0; i < pixels.argb.size(); i += 3) {
        pixels.argb[i] = 0xFFFAFAF0;
    }
    std::string error;
    const auto sheet = boxpicture::FontSheet::use(setup.widths, pixels, error);
    ByteMeter bytes;
    if (!sheet || !bytes.load(QByteArray::fromStdString(setup.tbl))) {
        state.SkipWithError("no sheet or no table");
        return;
    }
    ScreenMeter screen;
    screen.load(bytes.table(), setup.widths);
    const QString text = QString::fromStdU16String(setup.text);
    QImage target;
    boxpicture::BoxPicture picture; // drawn again in the same memory, as the window does
    for (auto _ : state) {
        screen.setText(Box::Translation, text);
        benchmark::DoNotOptimize(screen.look());
        boxpicture::draw(screen.screen(), *sheet, setup.text, picture);
        const QImage image = storage::imageOf(picture.pixels);
        if (target.size() != image.size() * 2) {
            target = QImage(image.size() * 2, QImage::Format_RGB32);
        }
        QPainter painter(&target);
        // What the scroll area's viewport shows of the pane: the buttons' width (249 pixels at
        // 96 dpi, 498 device pixels at scale 2), three boxes high.
        painter.setClipRect(
            0, 0, std::min(target.width(), 2 * kPreviewWidthPixels),
            2 * static_cast<int>(
                    picture.bandBottoms[std::min<std::size_t>(picture.bandBottoms.size(), 3) - 1]));
        painter.scale(2, 2);
        painter.drawImage(0, 0, image);
    }
}
BENCHMARK(BM_RecountAndRepaintThePreviewOf2000Characters)->Unit(benchmark::kMicrosecond);

void BM_WrapALineOf200Characters(benchmark::State& state) {
    const Setup setup;
    const screen::ScreenMeasure screen(setup.table, setup.widths);
    const std::u16string line = setup.text.substr(0, 200);
    for (auto _ : state) {
        benchmark::DoNotOptimize(screen::wrapLine(screen, line));
    }
}
BENCHMARK(BM_WrapALineOf200Characters)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
