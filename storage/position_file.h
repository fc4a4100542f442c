#pragma once

#include "storage/text_file.h"

#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

// The position file: six lines, the Left and Top in twips of the main window, the Fast Counter
// and the Mini Counter. Each window replaces its own two lines when it is unloaded and copies
// the other four through exactly as it read them.
namespace storage {

enum PositionLine { MainLeft = 0, MainTop, FastLeft, FastTop, MiniLeft, MiniTop };
inline constexpr int positionLineCount = 6;

class PositionFile final {
public:
    PositionFile() = default; // every line missing

    // A missing or unreadable file gives every line missing and existed() false. A file that
    // cannot be read or is not UTF-8, and lines that are missing or not numbers, are problems()
    // naming the file; lines after the sixth are ignored. The parse of bytes alone has none.
    static PositionFile read(const QString& path);
    static PositionFile parse(QByteArrayView bytes);

    bool existed() const { return existed_; }
    const QStringList& problems() const { return problems_; }
    bool hasLine(PositionLine which) const { return lines_[which].has_value(); }
    // The line as read, without its line end; empty when it is missing.
    QString line(PositionLine which) const { return lines_[which].value_or(QString()); }

    // The whole line as a number, in the C locale or the user's, rounded half to even to
    // whole twips. Spaces around the number are allowed. nullopt when the line is missing,
    // empty, not a number, longer than 100 characters, not finite or outside the range of int.
    std::optional<int> twips(PositionLine which) const;

    // Writes the value as a plain decimal integer: a minus sign when negative, no grouping.
    void setTwips(PositionLine which, int value);

    // Gives every line that twips() cannot read the text of its default, so that the next save
    // writes a complete file. A readable line is left exactly as it is.
    void fillUnreadable(const std::array<int, positionLineCount>& defaults);

    // Writes exactly six lines (a line still missing is written empty) in UTF-8 with CR LF.
    SaveResult write(const QString& path) const;

private:
    std::array<std::optional<QString>, positionLineCount> lines_;
    bool existed_ = false;
    QStringList problems_;
};

} // namespace storage
