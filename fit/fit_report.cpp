#include "fit/fit_report.h"

#include "fit/fit_io.h"

#include <QStringEncoder>
#include <QStringList>

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>

namespace fit {

namespace {

// Fewer failing rows are not worth a thread.
constexpr std::size_t kRowsPerShare = 4096;

// A number right-aligned in `width` columns at `at`, which it moves past them; with `sign`, "+"
// before one not below zero. `at` has room for 24 characters more than `width`.
void putNumber(char*& at, long long value, int width, bool sign = false) {
    std::array<char, 24> digits{};
    char* first = digits.data() + 1;
    char* last = std::to_chars(first, digits.data() + digits.size(), value).ptr;
    if (sign && value >= 0) {
        *--first = '+';
    }
    for (auto pad = width - (last - first); pad > 0; --pad) {
        *at++ = ' ';
    }
    at = std::copy(first, last, at);
}

long long number(std::size_t n) {
    return static_cast<long long>(n);
}

} // namespace

const char* strategyName(encoding::Strategy strategy) {
    return strategy == encoding::Strategy::Optimal ? "optimal" : "greedy";
}

void writeOptionalCounts(JsonWriter& json, const check::Check& check) {
    if (check.widths) {
        json.member("off_screen", check.summary.offScreen);
    }
    if (check.codes) {
        json.member("codes_differ", check.summary.codesDiffer);
    }
}

QString counted(std::size_t count, const char* one, const char* many) {
    return QStringLiteral("%1 %2").arg(count).arg(QLatin1String(count == 1 ? one : many));
}

void appendPreview(QByteArray& out, QStringView text, qsizetype length) {
    const bool cut = text.size() > length;
    if (cut) {
        text = text.first(text.at(length - 1).isHighSurrogate() ? length - 1 : length);
    }
    if (text.contains(u'\n')) {
        out += text.toString().replace(u'\n', u'\u21B5').toUtf8();
    } else {
        // Straight into `out`: a long report has a preview on every row.
        QStringEncoder utf8(QStringEncoder::Utf8, QStringEncoder::Flag::Stateless);
        const qsizetype start = out.size();
        out.resize(start + utf8.requiredSpace(text.size()));
        out.truncate(utf8.appendToBuffer(out.data() + start, text) - out.constData());
    }
    if (cut) {
        out += "\xE2\x80\xA6"; // U+2026
    }
}

QByteArray screenRow(const check::ScreenVerdict& screen, const screen::WidthFile& widths) {
    if (screen.fits()) {
        return {};
    }
    QByteArray row = "        ";
    if (screen.lineOver) {
        row += "px " + QByteArray::number(screen.translation.widest) + '/' +
               QByteArray::number(widths.line.value_or(0));
    }
    if (screen.boxOver) {
        row += QByteArray(screen.lineOver ? ", " : "") + "lines " +
               QByteArray::number(screen.translation.lines) + '/' +
               QByteArray::number(widths.lines.value_or(0));
    }
    return row + '\n';
}

QByteArray verdictRows(const check::Verdict& verdict, const check::Check& check) {
    QByteArray rows;
    const check::TextBytes& text = verdict.translation;
    if (check.strategy == encoding::Strategy::Greedy && text.misread) {
        rows += "        misread at column " + QByteArray::number(text.misread->at + 1) +
                ": the game reads \"" + jsonString(text.misread->reads) + "\"\n";
    }
    if (check.strategy == encoding::Strategy::Optimal && text.cannotBeWrittenAt) {
        rows += "        cannot be written: no encoding that reads back reaches column " +
                QByteArray::number(*text.cannotBeWrittenAt + 1) + '\n';
    }
    if (verdict.screen) {
        rows += screenRow(*verdict.screen, *check.widths);
    }
    if (verdict.codes && verdict.codes->any()) {
        const codes::CodeDifferences& found = *verdict.codes;
        QStringList parts;
        // "<wait> ×2, <name>": each label once, in order, with how often it counts.
        const auto labels = [](const std::vector<std::u16string>& list) {
            QStringList shown;
            for (auto at = list.begin(); at != list.end(); ++at) {
                if (std::find(list.begin(), at, *at) == at) {
                    const auto times = std::count(at, list.end(), *at);
                    shown << QString::fromStdU16String(*at) +
                                 (times > 1 ? QStringLiteral(" \u00D7%1").arg(times) : QString());
                }
            }
            return shown.join(QStringLiteral(", "));
        };
        const std::pair<const char*, const std::vector<std::u16string>*> lists[] = {
            {"missing ", &found.missing}, {"extra ", &found.extra}, {"unknown ", &found.unknown}};
        for (const auto& [name, list] : lists) {
            if (!list->empty()) {
                parts << QLatin1String(name) + labels(*list);
            }
        }
        if (found.endNotLast) {
            parts << QStringLiteral("end not last");
        }
        if (found.orderDiffers) {
            parts << QStringLiteral("order differs");
        }
        rows += "        codes: " + parts.join(QStringLiteral("; ")).toUtf8() + '\n';
    }
    return rows;
}

void writeText(JsonWriter& json, const check::TextBytes& bytes, const check::Check& check) {
    const bool greedy = check.bothStrategies || check.strategy == encoding::Strategy::Greedy;
    const bool optimal = check.bothStrategies || check.strategy == encoding::Strategy::Optimal;
    json.beginObject()
        .member("greedy", bytes.greedy)
        .member("optimal", bytes.optimal)
        .member("uncovered", bytes.uncovered);
    if (greedy) {
        json.key("misread");
        if (bytes.misread) {
            json.beginObject()
                .member("column", bytes.misread->at + 1)
                .member("reads", std::u16string_view(bytes.misread->reads))
                .endObject();
        } else {
            json.null();
        }
    }
    if (optimal) {
        json.key("cannot_be_written");
        if (bytes.cannotBeWrittenAt) {
            json.beginObject().member("column", *bytes.cannotBeWrittenAt + 1).endObject();
        } else {
            json.null();
        }
    }
    json.endObject();
}

void writeScreen(JsonWriter& json, const check::Verdict& verdict) {
    if (!verdict.screen) {
        return;
    }
    const auto figures = [&json](const char* name, const check::ScreenFigures& text) {
        json.key(name)
            .beginObject()
            .member("widest", text.widest)
            .member("lines", text.lines)
            .endObject();
    };
    json.key("screen").beginObject();
    figures("original", verdict.screen->original);
    figures("translation", verdict.screen->translation);
    json.member("fits", verdict.screen->fits()).endObject();
}

void writeCodes(JsonWriter& json, const check::Verdict& verdict) {
    if (!verdict.codes) {
        return;
    }
    const auto list = [&json](const char* name, const std::vector<std::u16string>& labels) {
        json.key(name).beginArray();
        for (const std::u16string& label : labels) {
            json.value(std::u16string_view(label));
        }
        json.endArray();
    };
    json.key("codes").beginObject();
    list("missing", verdict.codes->missing);
    list("extra", verdict.codes->extra);
    list("unknown", verdict.codes->unknown);
    json.member("end_not_last", verdict.codes->endNotLast)
        .member("order_differs", verdict.codes->orderDiffers)
        .endObject();
}

QString codesSummary(const check::Check& check) {
    return check.codes ? QStringLiteral("; %1 with code differences").arg(check.summary.codesDiffer)
                       : QString();
}

// Rows through to_chars into bytes: a script far over its budget prints tens of thousands. Each
// share's rows are written as they are, not joined first.
void writeRows(std::FILE* stream, const check::Check& check, const std::vector<check::Item>& items,
               const std::vector<std::size_t>* fileLines) {
    const auto lineOf = [fileLines](std::size_t i) {
        return fileLines == nullptr ? i + 1 : (*fileLines)[i];
    };
    const check::Summary& summary = check.summary;
    QByteArray out;
    if (summary.failing > 0) {
        std::array<char, 96> row{};
        if (fileLines != nullptr) {
            out += "record ";
        }
        std::snprintf(row.data(), row.size(), "%6s %7s %7s %6s %9s  %s\n", "line", "budget",
                      "bytes", "over", "uncovered", "translation");
        out += row.data();
    }
    // Rows of a share of the items into their own bytes, written in order afterwards.
    std::array<QByteArray, 8> parts;
    const unsigned shares = check::inShares(
        check.items.size(), summary.failing >= kRowsPerShare,
        [&](std::size_t begin, std::size_t end, unsigned share) {
            QByteArray& part = parts[share];
            part.reserve(static_cast<qsizetype>(end - begin) * 100);
            for (std::size_t i = begin; i < end; ++i) {
                const check::Verdict& item = check.items[i];
                if (item.fits()) {
                    continue;
                }
                const std::size_t bytes = item.translation.of(check.strategy);
                std::array<char, 192> row;
                char* at = row.data();
                if (fileLines != nullptr) {
                    putNumber(at, number(i + 1), 6);
                    *at++ = ' ';
                }
                putNumber(at, number(lineOf(i)), 6);
                *at++ = ' ';
                putNumber(at, number(item.budget), 7);
                *at++ = ' ';
                putNumber(at, number(bytes), 7);
                *at++ = ' ';
                putNumber(at, number(bytes) - number(item.budget), 6, true);
                *at++ = ' ';
                putNumber(at, number(item.translation.uncovered), 9);
                *at++ = ' ';
                *at++ = ' ';
                part.append(row.data(), at - row.data());
                appendPreview(part,
                              QStringView(items[i].translation.data(),
                                          static_cast<qsizetype>(items[i].translation.size())));
                part += '\n';
                part += verdictRows(item, check);
            }
        });
    print(stream, out);
    for (unsigned share = 0; share < shares; ++share) {
        print(stream, parts[share]);
    }
    const auto itemsCounted = [fileLines](std::size_t count) {
        return fileLines == nullptr ? counted(count, "line", "lines")
                                    : counted(count, "row", "rows");
    };
    QString text = QStringLiteral("%1 checked (%2), %3 over budget; original %4, translation %5")
                       .arg(itemsCounted(summary.checked))
                       .arg(QLatin1String(strategyName(check.strategy)))
                       .arg(summary.over)
                       .arg(counted(summary.originalBytes, "byte", "bytes"))
                       .arg(counted(summary.translationBytes, "byte", "bytes"));
    if (check.widths) {
        text += QStringLiteral("; %1 over the screen").arg(itemsCounted(summary.offScreen));
    }
    text += codesSummary(check);
    const auto uncovered = [&](const char* whose, std::size_t count,
                               const std::optional<std::size_t>& first, bool original) {
        if (!first) {
            return;
        }
        const check::Verdict& item = check.items[*first];
        text += QStringLiteral("; characters of the %1 not in the table: %2 "
                               "(first: %3line %4, column %5)")
                    .arg(QLatin1String(whose))
                    .arg(count)
                    .arg(fileLines == nullptr ? QString()
                                              : QStringLiteral("record %1, ").arg(*first + 1))
                    .arg(lineOf(*first))
                    .arg(*(original ? item.original : item.translation).firstUncovered + 1);
    };
    uncovered("original", summary.originalUncovered, summary.firstOriginalUncovered, true);
    uncovered("translation", summary.uncovered, summary.firstUncovered, false);
    print(stream, text.toUtf8() + '\n');
}

QByteArray formatJson(const check::Check& check, const std::vector<std::size_t>* fileLines) {
    QByteArray out;
    out.reserve(static_cast<qsizetype>(check.items.size()) * 300 + 256);
    JsonWriter json(out);
    // A record of a CSV script gives its number and the file line it starts on.
    const auto place = [&json, fileLines](std::size_t i) {
        if (fileLines == nullptr) {
            json.member("line", i + 1);
        } else {
            json.member("record", i + 1).member("line", (*fileLines)[i]);
        }
    };
    json.beginObject().key("lines").beginArray(true);
    for (std::size_t i = 0; i < check.items.size(); ++i) {
        const check::Verdict& item = check.items[i];
        json.beginObject();
        place(i);
        json.key("original");
        writeText(json, item.original, check);
        json.key("translation");
        writeText(json, item.translation, check);
        writeScreen(json, item);
        writeCodes(json, item);
        json.member("budget", item.budget).member("fits", item.fits()).endObject();
    }
    json.endArray();
    const check::Summary& summary = check.summary;
    json.key("summary")
        .beginObject()
        .member("strategy", strategyName(check.strategy))
        .member("checked", summary.checked)
        .member("over", summary.over)
        .member("original_bytes", summary.originalBytes)
        .member("translation_bytes", summary.translationBytes)
        .member("uncovered", summary.uncovered);
    writeOptionalCounts(json, check);
    const auto first = [&](const char* name, const std::optional<std::size_t>& item,
                           bool original) {
        json.key(name);
        if (!item) {
            json.null();
            return;
        }
        const check::Verdict& verdict = check.items[*item];
        json.beginObject();
        place(*item);
        json.member("column",
                    *(original ? verdict.original : verdict.translation).firstUncovered + 1)
            .endObject();
    };
    first("first_uncovered", summary.firstUncovered, false);
    json.member("original_uncovered", summary.originalUncovered);
    first("first_original_uncovered", summary.firstOriginalUncovered, true);
    json.endObject().endObject();
    out += '\n';
    return out;
}

} // namespace fit
