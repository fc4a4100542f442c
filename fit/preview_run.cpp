#include "fit/preview_run.h"

#include "storage/font_sheet.h"

#include <QDir>

#include <mutex>

namespace fit {

std::optional<Preview> preparePreview(const FitOptions& options, const screen::WidthFile& widths,
                                      QString& error) {
    const bool all = !options.previewAll.isEmpty();
    const QString folder = all ? options.previewAll : options.preview;
    if (folder.isEmpty()) {
        return std::nullopt;
    }
    if (!widths.fontSheet) {
        error = options.widths + QStringLiteral(": no font (@font) for ") +
                QLatin1String(all ? "--preview-all" : "--preview");
        return std::nullopt;
    }
    QString sheetError;
    std::optional<boxpicture::FontSheet> sheet =
        storage::readFontSheet(options.widths, widths, sheetError);
    if (!sheet) {
        error = options.widths + QStringLiteral(": ") + sheetError;
        return std::nullopt;
    }
    if (!QDir().mkpath(folder)) {
        error = QStringLiteral("cannot make the folder ") + folder;
        return std::nullopt;
    }
    return Preview{folder, all, std::move(*sheet)};
}

bool writePreviews(const Preview& preview, const screen::ScreenMeasure& screen,
                   const std::vector<check::Item>& items, const check::Check& check,
                   const std::function<QString(std::size_t)>& name, QString& error) {
    const QDir folder(preview.folder);
    std::mutex failed;
    // Drawing and compressing take most of the time: shared out like the check's measures.
    check::inShares(
        items.size(), items.size() > 16, [&](std::size_t begin, std::size_t end, unsigned) {
            for (std::size_t i = begin; i < end; ++i) {
                if (!items[i].translated || (!preview.all && check.items[i].fits())) {
                    continue;
                }
                const QString path = folder.filePath(name(i));
                const boxpicture::BoxPicture picture =
                    boxpicture::draw(screen, preview.sheet, items[i].translation);
                if (picture.pixels.argb.empty() || !storage::writePng(picture.pixels, path)) {
                    const std::lock_guard<std::mutex> lock(failed);
                    if (error.isEmpty()) {
                        error =
                            picture.pixels.argb.empty()
                                ? QStringLiteral("%1: the picture would be larger than %2 pixels")
                                      .arg(path)
                                      .arg(boxpicture::kMostPixels)
                                : QStringLiteral("cannot write %1").arg(path);
                    }
                }
            }
        });
    return error.isEmpty();
}

} // namespace fit
