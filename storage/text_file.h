#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

// The text file: the original text on line 1 and the translation on line 2, shared by the
// main window and the Mini Counter. Also the two file steps both state files are built on.
namespace storage {

struct TextLines {
    std::optional<QString> orig;  // nullopt when the file has no first line
    std::optional<QString> trans; // nullopt when the file has no second line
    bool existed = false;         // false when the file was missing or could not be read
};

// Lines after the second are ignored. Spaces at either end of a text are kept; an empty line is
// an empty text. Damage is reported on stderr, naming the file.
TextLines readTextFile(const QString& path);
TextLines parseTextFile(QByteArrayView bytes);

// Writes exactly two lines. Any CR or LF is taken out of the texts first: the file cannot hold
// a line break inside a text. On failure the previous file is left whole, a warning naming the
// file is printed and false is returned.
bool writeTextFile(const QString& path, const QString& orig, const QString& trans);

// The whole content of a file; nullopt when it is missing (silently: a first run has no state
// files) or cannot be read (with a warning).
std::optional<QByteArray> readStateFile(const QString& path);

// Replaces the file with `bytes` in one step (a temporary file renamed over the old one), so a
// crash, a kill or a full disk never leaves half a file. Creates the folder when it is missing.
bool saveStateFile(const QString& path, const QByteArray& bytes);

} // namespace storage
