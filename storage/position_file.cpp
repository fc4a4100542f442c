#include "storage/position_file.h"

#include "storage/text_encoding.h"
#include "storage/text_file.h"

#include <QLocale>

#include <cmath>
#include <limits>

namespace storage {

namespace {

// No position needs more characters than this; a longer line (a damaged file, a text pasted
// into the wrong file) is refused before the number parser walks a megabyte of it.
constexpr qsizetype longestNumber = 100;

std::optional<int> toTwips(const QString& text) {
    if (text.size() > longestNumber) {
        return std::nullopt;
    }
    // The program writes plain integers, so the C locale is tried first; the user's locale
    // then accepts a hand edit in the local format ("1200,5" in Italian).
    bool ok = false;
    double value = QLocale::c().toDouble(text, &ok);
    if (!ok) {
        value = QLocale().toDouble(text, &ok);
    }
    if (!ok || !std::isfinite(value)) {
        return std::nullopt;
    }
    // The default floating-point rounding mode rounds half to even.
    const double rounded = std::nearbyint(value);
    if (rounded < std::numeric_limits<int>::min() || rounded > std::numeric_limits<int>::max()) {
        return std::nullopt;
    }
    return static_cast<int>(rounded);
}

QString shortened(const QString& text) {
    constexpr qsizetype shown = 40;
    return text.size() <= shown ? text : text.left(shown) + QStringLiteral("...");
}

} // namespace

PositionFile PositionFile::parse(QByteArrayView bytes) {
    const QStringList lines = decodeStateLines(bytes);
    PositionFile file;
    file.existed_ = true;
    for (qsizetype i = 0; i < positionLineCount && i < lines.size(); ++i) {
        file.lines_[static_cast<std::size_t>(i)] = lines[i];
    }
    return file;
}

PositionFile PositionFile::read(const QString& path) {
    const StateFileBytes read = readStateFile(path);
    PositionFile file = read.bytes ? parse(*read.bytes) : PositionFile();
    if (read.problem) {
        file.problems_.append(*read.problem);
    }
    if (!read.bytes) {
        return file;
    }
    int present = 0;
    for (int i = 0; i < positionLineCount; ++i) {
        const auto which = static_cast<PositionLine>(i);
        if (!file.hasLine(which)) {
            continue;
        }
        ++present;
        if (!file.twips(which)) {
            file.problems_.append(QStringLiteral("%1: line %2 is not a number: \"%3\"")
                                      .arg(path)
                                      .arg(i + 1)
                                      .arg(shortened(file.line(which))));
        }
    }
    if (present < positionLineCount) {
        file.problems_.append(QStringLiteral("%1 holds %2 of its %3 lines")
                                  .arg(path)
                                  .arg(present)
                                  .arg(positionLineCount));
    }
    return file;
}

std::optional<int> PositionFile::twips(PositionLine which) const {
    const std::optional<QString>& text = lines_[which];
    return text ? toTwips(*text) : std::nullopt;
}

void PositionFile::setTwips(PositionLine which, int value) {
    lines_[which] = QString::number(value);
}

void PositionFile::fillUnreadable(const std::array<int, positionLineCount>& defaults) {
    for (int i = 0; i < positionLineCount; ++i) {
        const auto which = static_cast<PositionLine>(i);
        if (!twips(which)) {
            setTwips(which, defaults[static_cast<std::size_t>(i)]);
        }
    }
}

SaveResult PositionFile::write(const QString& path) const {
    QStringList lines;
    for (const std::optional<QString>& text : lines_) {
        lines.append(text.value_or(QString()));
    }
    return saveStateFile(path, encodeStateLines(lines));
}

} // namespace storage
