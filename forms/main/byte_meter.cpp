#include "forms/main/byte_meter.h"

#include "forms/main/difference.h"
#include "storage/char_sets.h"
#include "storage/text_encoding.h"

bool ByteMeter::load(const QByteArray& tableFile) {
    const std::string_view bytes(tableFile.constData(), static_cast<std::size_t>(tableFile.size()));
    // The window names no character set: the file's bytes decide, as they do for tavrel-fit
    // without --encoding.
    encoding::TableEncoding table =
        encoding::TableEncoding::read(bytes, storage::tableDecoding(bytes, std::nullopt).decode);
    if (table.entries().empty()) {
        clear();
        return false;
    }
    encoding_ = std::make_shared<const encoding::TableEncoding>(std::move(table));
    costs_ = {};
    return true;
}

void ByteMeter::clear() {
    encoding_.reset();
    costs_ = {};
}

void ByteMeter::setText(Box which, const QString& text) {
    if (encoding_) {
        costs_[which] = encoding_->encode(storage::utf16View(text));
    }
}

ByteMeter::Look ByteMeter::look() const {
    const encoding::TextCost& original = costs_[Box::Original];
    const encoding::TextCost& translation = costs_[Box::Translation];
    const auto greedy = [](const encoding::TextCost& cost) {
        return static_cast<int>(cost.greedy.bytes);
    };
    const DifferenceLook difference = differenceLook(greedy(original), greedy(translation));
    const auto line = [](const char* name, const encoding::TextCost& cost) {
        QString text = QStringLiteral("%1: %2 byte come gli inseritori (la voce più lunga prima), "
                                      "%3 al meglio")
                           .arg(QLatin1String(name))
                           .arg(cost.greedy.bytes)
                           .arg(cost.optimal.bytes);
        if (cost.greedy.firstUncovered) {
            text += (cost.greedy.uncovered == 1
                         ? QStringLiteral("; %1 carattere assente dalla tabella, in posizione %2")
                         : QStringLiteral("; %1 caratteri assenti dalla tabella, il primo in "
                                          "posizione %2"))
                        .arg(cost.greedy.uncovered)
                        .arg(*cost.greedy.firstUncovered + 1);
        }
        if (cost.misread) {
            text += QStringLiteral("; il gioco la legge male: alla colonna %1 legge «%2»")
                        .arg(cost.misread->at + 1)
                        .arg(QString::fromStdU16String(cost.misread->reads)
                                 .replace(QLatin1Char('\n'), QLatin1String("\\n")));
        } else {
            text += QStringLiteral("; il gioco la rilegge uguale");
        }
        if (cost.cannotBeWrittenAt) {
            text += QStringLiteral("; nessuna codifica che il gioco rilegga uguale arriva alla "
                                   "colonna %1")
                        .arg(*cost.cannotBeWrittenAt + 1);
        }
        return text;
    };
    return {QStringLiteral("Byte: %1 / %2").arg(greedy(translation)).arg(greedy(original)),
            difference.plusShown ? QLatin1Char('+') + difference.caption : difference.caption,
            difference.colour,
            line("Traduzione", translation) + QLatin1Char('\n') + line("Originale", original)};
}
