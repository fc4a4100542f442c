#include "forms/main/byte_meter.h"

#include "forms/main/difference.h"
#include "platform/widgets/palette.h"
#include "storage/char_sets.h"
#include "storage/text_encoding.h"

#include <QStringList>

bool ByteMeter::load(const QByteArray& tableFile) {
    const std::string_view bytes(tableFile.constData(), static_cast<std::size_t>(tableFile.size()));
    // The window names no character set: the file's bytes decide, as they do for tavrel-fit
    // without --encoding.
    const storage::TableDecoding decoding = storage::tableDecoding(bytes, std::nullopt);
    encoding::TableEncoding table =
        encoding::TableEncoding::read(decoding.bytes(bytes), decoding.decode);
    if (table.entries().empty()) {
        clear();
        return false;
    }
    codes_.reset();
    encoding_ = std::make_shared<const encoding::TableEncoding>(std::move(table));
    codes_.emplace(*encoding_);
    figures_ = {};
    return true;
}

void ByteMeter::setBoxCodes(const std::set<std::string>& boxCodes, const PerBox<QString>& texts) {
    if (encoding_) {
        codes_.emplace(*encoding_, boxCodes);
        for (const Box box : kBoxes) {
            setText(box, texts[box]);
        }
    }
}

void ByteMeter::clear() {
    codes_.reset();
    encoding_.reset();
    figures_ = {};
}

void ByteMeter::setText(Box which, const QString& text) {
    if (encoding_) {
        figures_[which] = check::measure(rules(), which == Box::Original, storage::utf16View(text));
    }
}

check::Rules ByteMeter::rules() const {
    const codes::CodeTable* codes = holdsCodes() ? &*codes_ : nullptr;
    return check::Rules{*encoding_, *encoding_, nullptr, encoding::Strategy::Greedy,
                        true,       codes,      codes,   false};
}

ByteMeter::Look ByteMeter::look() const {
    const check::TextBytes& original = figures_[Box::Original].bytes;
    const check::TextBytes& translation = figures_[Box::Translation].bytes;
    const check::Verdict verdict = check::judge(figures_[Box::Original], figures_[Box::Translation],
                                                {}, encoding::Strategy::Greedy, nullptr);
    const DifferenceLook difference =
        differenceLook(static_cast<int>(original.greedy), static_cast<int>(translation.greedy));
    const auto line = [](const char* name, const check::TextBytes& bytes) {
        QString text = QStringLiteral("%1: %2 byte come gli inseritori (la voce più lunga prima), "
                                      "%3 al meglio")
                           .arg(QLatin1String(name))
                           .arg(bytes.greedy)
                           .arg(bytes.optimal);
        if (bytes.firstUncovered) {
            text += (bytes.uncovered == 1
                         ? QStringLiteral("; %1 carattere assente dalla tabella, in posizione %2")
                         : QStringLiteral("; %1 caratteri assenti dalla tabella, il primo in "
                                          "posizione %2"))
                        .arg(bytes.uncovered)
                        .arg(*bytes.firstUncovered + 1);
        }
        if (bytes.misread) {
            text += QStringLiteral("; il gioco la legge male: alla colonna %1 legge «%2»")
                        .arg(bytes.misread->at + 1)
                        .arg(QString::fromStdU16String(bytes.misread->reads)
                                 .replace(QLatin1Char('\n'), QLatin1String("\\n")));
        } else {
            text += QStringLiteral("; il gioco la rilegge uguale");
        }
        if (bytes.cannotBeWrittenAt) {
            text += QStringLiteral("; nessuna codifica che il gioco rilegga uguale arriva alla "
                                   "colonna %1")
                        .arg(*bytes.cannotBeWrittenAt + 1);
        }
        return text;
    };
    return {QStringLiteral("Byte: %1 / %2").arg(translation.greedy).arg(original.greedy),
            difference.plusShown ? QLatin1Char('+') + difference.caption : difference.caption,
            verdict.bytesFit ? difference.colour : palette::kRed,
            line("Traduzione", translation) + QLatin1Char('\n') + line("Originale", original)};
}

ByteMeter::CodesLook ByteMeter::codesLook() const {
    const check::Verdict verdict = check::judge(figures_[Box::Original], figures_[Box::Translation],
                                                {}, encoding::Strategy::Greedy, nullptr);
    if (verdict.codesFit()) {
        return {QStringLiteral("Codici: ok"), palette::kGreen,
                QStringLiteral("La traduzione ha i codici dell'originale")};
    }
    const codes::CodeDifferences& found = *verdict.codes;
    const auto joined = [](const std::vector<std::u16string>& labels) {
        QStringList shown;
        for (const std::u16string& label : labels) {
            shown << QString::fromStdU16String(label);
        }
        return shown.join(QStringLiteral(", "));
    };
    QStringList all;
    QString first;
    const auto add = [&](const QString& shown, const QString& listed) {
        first = first.isEmpty() ? shown : first;
        all << listed;
    };
    if (!found.missing.empty()) {
        add(QStringLiteral("manca ") + QString::fromStdU16String(found.missing.front()),
            QStringLiteral("Mancano: ") + joined(found.missing));
    }
    if (!found.extra.empty()) {
        add(QStringLiteral("in più ") + QString::fromStdU16String(found.extra.front()),
            QStringLiteral("In più: ") + joined(found.extra));
    }
    if (!found.unknown.empty()) {
        add(QString::fromStdU16String(found.unknown.front()) + u'?',
            QStringLiteral("Sconosciuti alla tabella: ") + joined(found.unknown));
    }
    if (found.endNotLast) {
        add(QStringLiteral("fine non in fondo"),
            QStringLiteral("La fine della stringa non è in fondo alla traduzione"));
    }
    return {QStringLiteral("Codici: ") + first, palette::kRed, all.join(u'\n')};
}
