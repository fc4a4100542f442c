#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <optional>

// The text file: the original text on line 1 and the translation on line 2, shared by the
// main window and the Mini Counter. Also the two file steps both state files are built on.
namespace storage {

// What a save did. `saved()` is the test; a failed save holds why, naming the file. A failed
// save has left the previous file whole.
class [[nodiscard]] SaveResult {
public:
    static SaveResult success() { return SaveResult(std::nullopt); }
    static SaveResult failure(QString why) { return SaveResult(std::move(why)); }

    bool saved() const { return !problem_.has_value(); }
    // Empty when saved.
    QString problem() const { return problem_.value_or(QString()); }

private:
    explicit SaveResult(std::optional<QString> problem) : problem_(std::move(problem)) {}
    std::optional<QString> problem_;
};

struct TextLines {
    std::optional<QString> orig;  // nullopt when the file has no first line
    std::optional<QString> trans; // nullopt when the file has no second line
    bool existed = false;         // false when the file was missing or could not be read
    QStringList problems;         // what was wrong with the file, each naming it
};

// Lines after the second are ignored. Spaces at either end of a text are kept; an empty line is
// an empty text. A file that cannot be read, is not UTF-8 or lacks a line gives a problem; the
// parse of bytes alone has none.
TextLines readTextFile(const QString& path);
TextLines parseTextFile(QByteArrayView bytes);

// Writes exactly two lines. Any CR or LF is taken out of the texts first: the file cannot hold
// a line break inside a text.
SaveResult writeTextFile(const QString& path, const QString& orig, const QString& trans);

struct StateFileBytes {
    std::optional<QByteArray> bytes; // nullopt when the file is missing or cannot be read
    std::optional<QString> problem;  // why it cannot be read, or that it is not UTF-8
};

// The whole content of a file. A missing file is no problem: a first run has no state files.
StateFileBytes readStateFile(const QString& path);

// Replaces the file with `bytes` in one step (a temporary file renamed over the old one), so a
// crash, a kill or a full disk never leaves half a file. Creates the folder when it is missing.
SaveResult saveStateFile(const QString& path, const QByteArray& bytes);

} // namespace storage
