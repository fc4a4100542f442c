#pragma once

#include "core/check_engine.h"
#include "core/table_encoding.h"
#include "forms/box.h"

#include <QColor>
#include <QString>

#include <memory>
#include <optional>
#include <set>
#include <string>

// The bytes the two texts take in the game's encoding, under the table file the translator
// chose: the line "Byte: <translation> / <original>" of the main window, its colour and its
// tool tip. Each text is measured again only when it changes; the verdict is the check
// engine's, as tavrel-fit's is for a line of two plain files.
class ByteMeter final {
public:
    struct Look {
        QString caption;    // "Byte: 15 / 12"
        QString difference; // "+3", "0", "-2"
        // Red when the translation does not fit the original's bytes (longer, or the game
        // misreads it), else yellow when as long, green when shorter.
        QColor colour;
        QString toolTip; // greedy and optimal bytes of both texts, characters the table lacks
    };

    // "Codici: ok" in green, or the first difference in red; the tool tip lists them all.
    struct CodesLook {
        QString caption;
        QColor colour;
        QString toolTip;
    };

    // Reads the table file's bytes; false, and no meter, when the file holds no entry.
    bool load(const QByteArray& tableFile);
    // The codes a width file marks as starting a new box: layout, not codes. Measures both
    // texts again.
    void setBoxCodes(const std::set<std::string>& boxCodes, const PerBox<QString>& texts);
    void clear();
    bool isLoaded() const { return encoding_ != nullptr; }
    // The table read by the last load, shared with whoever measures more with it.
    const std::shared_ptr<const encoding::TableEncoding>& table() const { return encoding_; }

    // Encodes one text again after it changed.
    void setText(Box which, const QString& text);

    Look look() const;
    // Whether the table holds codes (an end token, or an entry of a bracketed label).
    bool holdsCodes() const { return codes_ && codes_->holdsCodes(); }
    CodesLook codesLook() const;

private:
    check::Rules rules() const; // only while loaded

    std::shared_ptr<const encoding::TableEncoding> encoding_;
    std::optional<codes::CodeTable> codes_; // refers to *encoding_
    PerBox<check::TextFigures> figures_;
};
