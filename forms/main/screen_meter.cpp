#include "forms/main/screen_meter.h"

#include "core/check_engine.h"
#include "platform/widgets/palette.h"
#include "storage/text_encoding.h"

#include <QStringList>

#include <utility>

void ScreenMeter::load(std::shared_ptr<const encoding::TableEncoding> table,
                       screen::WidthFile widths) {
    // The measure goes before the table it refers to.
    screen_.reset();
    table_ = std::move(table);
    screen_.emplace(*table_, std::move(widths));
    for (const Box box : kBoxes) {
        measures_[box] = screen_->measure({});
    }
}

void ScreenMeter::clear() {
    screen_.reset();
    table_.reset();
    measures_ = {};
}

void ScreenMeter::setText(Box which, const QString& text) {
    if (screen_) {
        measures_[which] = screen_->measure(storage::utf16View(text));
    }
}

ScreenMeter::Look ScreenMeter::look() const {
    if (!screen_) {
        return {};
    }
    const screen::TextMeasure& translation = measures_[Box::Translation];
    const screen::WidthFile& widths = screen_->widths();
    const auto limit = [](const std::optional<std::uint32_t>& value) {
        return value ? QString::number(*value) : QStringLiteral("-");
    };
    const auto colour = [](bool fits) { return fits ? palette::kGreen : palette::kRed; };
    // The verdict is the check engine's, as tavrel-fit's is for a line of two plain files.
    const auto figures = [](const screen::TextMeasure& measure) {
        check::TextFigures laidOut;
        laidOut.screen = check::ScreenFigures{measure.widest(), measure.fullest()};
        return laidOut;
    };
    const check::ScreenVerdict verdict =
        *check::judge(figures(measures_[Box::Original]), figures(translation), {},
                      encoding::Strategy::Greedy, &widths)
             .screen;
    const auto lineWidths = [](const char* name, const screen::TextMeasure& measure) {
        QStringList each;
        for (const screen::LineWidth& line : measure.lines) {
            each << QString::number(line.width);
        }
        return QStringLiteral("%1: righe larghe %2 pixel")
            .arg(QLatin1String(name), each.join(QStringLiteral(", ")));
    };
    return {QStringLiteral("Pixel: %1 / %2").arg(translation.widest()).arg(limit(widths.line)),
            colour(!verdict.lineOver),
            QStringLiteral("Righe: %1 / %2").arg(translation.fullest()).arg(limit(widths.lines)),
            colour(!verdict.boxOver),
            lineWidths("Traduzione", translation) + QLatin1Char('\n') +
                lineWidths("Originale", measures_[Box::Original])};
}
