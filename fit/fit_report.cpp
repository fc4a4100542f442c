#include "fit/fit_report.h"

#include "storage/text_encoding.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>
#include <string_view>
#include <system_error>
#include <thread>

namespace fit {

namespace {

// Fewer texts (or rows), and fewer characters, are not worth a thread.
constexpr std::size_t kTextsPerShare = 4096;
constexpr std::size_t kCharactersPerShare = 1 << 20;

// Lines are independent and encode() keeps its buffers per thread, so a long script is shared
// out among the cores: work(begin, end, share) for each share of [0, count); without a thread
// to be had, this one does the share. Returns how many shares there were.
template <typename Work> unsigned inShares(std::size_t count, bool worthThreads, const Work& work) {
    const unsigned shares =
        worthThreads ? std::clamp(std::thread::hardware_concurrency(), 1u, 8u) : 1;
    std::vector<std::thread> threads;
    for (unsigned share = 1; share < shares; ++share) {
        const std::size_t begin = count * share / shares;
        const std::size_t end = count * (share + 1) / shares;
        try {
            threads.emplace_back(work, begin, end, share);
        } catch (const std::system_error&) {
            work(begin, end, share);
        }
    }
    work(0, count / shares, 0);
    for (std::thread& thread : threads) {
        thread.join();
    }
    return shares;
}

// A number right-aligned in `width` columns; with `sign`, "+" before one not below zero.
void appendNumber(QByteArray& out, long long value, int width, bool sign = false) {
    std::array<char, 24> digits{};
    char* first = digits.data() + 1;
    char* last = std::to_chars(first, digits.data() + digits.size(), value).ptr;
    if (sign && value >= 0) {
        *--first = '+';
    }
    out.append(std::max<qsizetype>(0, width - (last - first)), ' ');
    out.append(first, last - first);
}

} // namespace

encoding::EncodeRequest requestFor(encoding::Strategy strategy, bool bothStrategies) {
    const bool optimal = strategy == encoding::Strategy::Optimal;
    return {bothStrategies || !optimal, bothStrategies || optimal, false};
}

Bytes bytesOf(const encoding::TextCost& cost, encoding::Strategy strategy) {
    const encoding::Encoding& chosen = cost.of(strategy);
    return Bytes{cost.greedy.bytes,
                 cost.optimal.bytes,
                 chosen.uncovered,
                 chosen.firstUncovered,
                 cost.misread ? std::make_shared<const encoding::Misread>(*cost.misread) : nullptr,
                 cost.cannotBeWrittenAt};
}

bool fitsIn(const Bytes& translation, std::size_t budget, encoding::Strategy strategy) {
    if (strategy == encoding::Strategy::Optimal) {
        return translation.optimal <= budget && !translation.cannotBeWrittenAt;
    }
    return translation.greedy <= budget && !translation.misread;
}

QString verdictOf(const Bytes& text, encoding::Strategy strategy) {
    if (strategy == encoding::Strategy::Greedy && text.misread) {
        return QStringLiteral("misread at column %1: the game reads \"%2\"")
            .arg(text.misread->at + 1)
            .arg(QString::fromUtf8(jsonString(text.misread->reads)));
    }
    if (strategy == encoding::Strategy::Optimal && text.cannotBeWrittenAt) {
        return QStringLiteral("cannot be written: no encoding that reads back reaches column %1")
            .arg(*text.cannotBeWrittenAt + 1);
    }
    return {};
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
        out += text.toUtf8();
    }
    if (cut) {
        out += "\xE2\x80\xA6"; // U+2026
    }
}

QByteArray jsonString(std::u16string_view text) {
    QString out;
    for (const char16_t unit : text) {
        if (unit == u'"' || unit == u'\\') {
            out += u'\\';
            out += QChar(unit);
        } else if (unit == u'\n') {
            out += QStringLiteral("\\n");
        } else if (unit < 0x20) {
            out += QStringLiteral("\\u%1").arg(static_cast<int>(unit), 4, 16, QLatin1Char('0'));
        } else {
            out += QChar(unit);
        }
    }
    return out.toUtf8();
}

ScriptCheck checkScript(const encoding::TableEncoding& originalTable,
                        const encoding::TableEncoding& translationTable,
                        const QStringList& original, const QStringList& translation,
                        encoding::Strategy strategy, std::optional<std::size_t> limit,
                        bool bothStrategies, const screen::ScreenMeasure* screen) {
    ScriptCheck check;
    check.strategy = strategy;
    const bool optimal = strategy == encoding::Strategy::Optimal;
    const auto chosen = [optimal](const Bytes& b) { return optimal ? b.optimal : b.greedy; };
    check.bothStrategies = bothStrategies;
    const encoding::EncodeRequest request = requestFor(strategy, bothStrategies);
    const auto count = static_cast<std::size_t>(std::min(original.size(), translation.size()));
    check.lines.resize(count);
    if (screen) {
        for (LineCheck& line : check.lines) {
            line.screen.emplace();
        }
    }
    // The texts are shared out, two a line: a script of one long line takes two threads.
    std::size_t characters = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const auto at = static_cast<qsizetype>(i);
        characters += static_cast<std::size_t>(original[at].size() + translation[at].size());
    }
    const bool worthThreads = 2 * count >= kTextsPerShare || characters >= kCharactersPerShare;
    inShares(2 * count, worthThreads, [&](std::size_t begin, std::size_t end, unsigned) {
        for (std::size_t k = begin; k < end; ++k) {
            const auto at = static_cast<qsizetype>(k / 2);
            const bool isOriginal = k % 2 == 0;
            const QString& text = isOriginal ? original[at] : translation[at];
            const encoding::TableEncoding& table = isOriginal ? originalTable : translationTable;
            Bytes& bytes =
                isOriginal ? check.lines[k / 2].original : check.lines[k / 2].translation;
            bytes = bytesOf(table.encode(storage::utf16View(text), request), strategy);
            if (screen) {
                ScreenVerdict& verdict = *check.lines[k / 2].screen;
                (isOriginal ? verdict.original : verdict.translation) =
                    screenFigures(*screen, text);
            }
        }
    });

    for (std::size_t i = 0; i < count; ++i) {
        LineCheck& line = check.lines[i];
        line.budget = limit.value_or(chosen(line.original));
        line.fits = fitsIn(line.translation, line.budget, strategy);
        if (!check.firstUncoveredLine && line.translation.firstUncovered) {
            check.firstUncoveredLine = i;
        }
        check.over += line.fits ? 0 : 1;
        if (screen) {
            judgeScreen(*line.screen, *screen);
            check.offScreen += line.screen->fits() ? 0 : 1;
            line.fits = line.fits && line.screen->fits();
        }
        check.originalBytes += chosen(line.original);
        check.translationBytes += chosen(line.translation);
        check.uncovered += line.translation.uncovered;
    }
    check.widths = screen ? std::optional(screen->widths()) : std::nullopt;
    return check;
}

// Rows through snprintf into bytes: a script far over its budget prints tens of thousands.
QByteArray formatRows(const ScriptCheck& check, const QStringList& translation,
                      const std::vector<std::size_t>* fileLines) {
    const auto lineOf = [fileLines](std::size_t i) {
        return fileLines == nullptr ? i + 1 : (*fileLines)[i];
    };
    const bool optimal = check.strategy == encoding::Strategy::Optimal;
    QByteArray out;
    out.reserve(static_cast<qsizetype>(check.over) * 96 + 256);
    std::array<char, 96> row{};
    if (check.over + check.offScreen > 0) {
        if (fileLines != nullptr) {
            out += "record ";
        }
        std::snprintf(row.data(), row.size(), "%6s %7s %7s %6s %9s  %s\n", "line", "budget",
                      "bytes", "over", "uncovered", "translation");
        out += row.data();
    }
    // Rows of a share of the lines into their own bytes, joined in order afterwards.
    std::array<QByteArray, 8> parts;
    const unsigned shares = inShares(
        check.lines.size(), check.over >= kTextsPerShare,
        [&](std::size_t begin, std::size_t end, unsigned share) {
            QByteArray& part = parts[share];
            part.reserve(static_cast<qsizetype>(end - begin) * 100);
            for (std::size_t i = begin; i < end; ++i) {
                const LineCheck& line = check.lines[i];
                if (line.fits) {
                    continue;
                }
                const std::size_t bytes =
                    optimal ? line.translation.optimal : line.translation.greedy;
                const auto number = [](std::size_t n) { return static_cast<long long>(n); };
                if (fileLines != nullptr) {
                    appendNumber(part, number(i + 1), 6);
                    part += ' ';
                }
                appendNumber(part, number(lineOf(i)), 6);
                part += ' ';
                appendNumber(part, number(line.budget), 7);
                part += ' ';
                appendNumber(part, number(bytes), 7);
                part += ' ';
                appendNumber(part, number(bytes) - number(line.budget), 6, true);
                part += ' ';
                appendNumber(part, number(line.translation.uncovered), 9);
                part += "  ";
                appendPreview(part, translation.at(static_cast<qsizetype>(i)));
                part += '\n';
                const QString verdict = verdictOf(line.translation, check.strategy);
                if (!verdict.isEmpty()) {
                    part += "        ";
                    part += verdict.toUtf8();
                    part += '\n';
                }
                if (line.screen) {
                    part += screenRow(*line.screen, *check.widths);
                }
            }
        });
    for (unsigned share = 0; share < shares; ++share) {
        out += parts[share];
    }
    QString summary;
    summary += QStringLiteral("%1 checked (%2), %3 over budget; original %4, translation %5")
                   .arg(fileLines == nullptr ? counted(check.lines.size(), "line", "lines")
                                             : counted(check.lines.size(), "row", "rows"))
                   .arg(optimal ? QStringLiteral("optimal") : QStringLiteral("greedy"))
                   .arg(check.over)
                   .arg(counted(check.originalBytes, "byte", "bytes"))
                   .arg(counted(check.translationBytes, "byte", "bytes"));
    if (check.widths) {
        summary += QStringLiteral("; %1 over the screen")
                       .arg(fileLines == nullptr ? counted(check.offScreen, "line", "lines")
                                                 : counted(check.offScreen, "row", "rows"));
    }
    if (const auto firstUncoveredLine = check.firstUncoveredLine) {
        const LineCheck& line = check.lines[*firstUncoveredLine];
        summary += QStringLiteral("; characters of the translation not in the table: %1 "
                                  "(first: %2line %3, column %4)")
                       .arg(check.uncovered)
                       .arg(fileLines == nullptr
                                ? QString()
                                : QStringLiteral("record %1, ").arg(*firstUncoveredLine + 1))
                       .arg(lineOf(*firstUncoveredLine))
                       .arg(*line.translation.firstUncovered + 1);
    }
    out += summary.toUtf8();
    out += '\n';
    return out;
}

// Written by hand rather than through QJsonDocument, which takes seconds for a script of
// 100,000 lines. One line of the script per line of output keeps a diff of two reports readable.
void appendTextJson(QByteArray& out, const Bytes& bytes, bool greedy, bool optimal) {
    std::array<char, 96> buffer{};
    std::snprintf(buffer.data(), buffer.size(),
                  "{\"greedy\": %zu, \"optimal\": %zu, \"uncovered\": %zu", bytes.greedy,
                  bytes.optimal, bytes.uncovered);
    out += buffer.data();
    if (greedy) {
        out += ", \"misread\": ";
        if (bytes.misread) {
            out += "{\"column\": " + QByteArray::number(bytes.misread->at + 1) + ", \"reads\": \"" +
                   jsonString(bytes.misread->reads) + "\"}";
        } else {
            out += "null";
        }
    }
    if (optimal) {
        out += ", \"cannot_be_written\": ";
        out += bytes.cannotBeWrittenAt
                   ? "{\"column\": " + QByteArray::number(*bytes.cannotBeWrittenAt + 1) + '}'
                   : QByteArray("null");
    }
    out += '}';
}

QByteArray formatJson(const ScriptCheck& check, const std::vector<std::size_t>* fileLines) {
    QByteArray out = "{\"lines\": [\n";
    out.reserve(static_cast<qsizetype>(check.lines.size()) * 300 + 256);
    const bool greedy = check.bothStrategies || check.strategy == encoding::Strategy::Greedy;
    const bool optimal = check.bothStrategies || check.strategy == encoding::Strategy::Optimal;
    // A record of a CSV script gives its number and the file line it starts on.
    const auto place = [fileLines](std::size_t i) {
        return fileLines == nullptr ? "\"line\": " + QByteArray::number(i + 1)
                                    : "\"record\": " + QByteArray::number(i + 1) +
                                          ", \"line\": " + QByteArray::number((*fileLines)[i]);
    };
    std::array<char, 160> buffer{};
    for (std::size_t i = 0; i < check.lines.size(); ++i) {
        const LineCheck& line = check.lines[i];
        out += '{' + place(i) + ", \"original\": ";
        appendTextJson(out, line.original, greedy, optimal);
        out += ", \"translation\": ";
        appendTextJson(out, line.translation, greedy, optimal);
        if (line.screen) {
            out += ", " + screenJson(*line.screen);
        }
        std::snprintf(buffer.data(), buffer.size(), ", \"budget\": %zu, \"fits\": %s}%s\n",
                      line.budget, line.fits ? "true" : "false",
                      i + 1 < check.lines.size() ? "," : "");
        out += buffer.data();
    }
    std::snprintf(buffer.data(), buffer.size(),
                  "], \"summary\": {\"strategy\": \"%s\", \"checked\": %zu, \"over\": %zu, "
                  "\"original_bytes\": %zu, \"translation_bytes\": %zu, \"uncovered\": %zu, ",
                  check.strategy == encoding::Strategy::Optimal ? "optimal" : "greedy",
                  check.lines.size(), check.over, check.originalBytes, check.translationBytes,
                  check.uncovered);
    out += buffer.data();
    if (check.widths) {
        out += "\"off_screen\": " + QByteArray::number(check.offScreen) + ", ";
    }
    out += "\"first_uncovered\": ";
    if (const auto firstUncoveredLine = check.firstUncoveredLine) {
        const std::size_t column = *check.lines[*firstUncoveredLine].translation.firstUncovered + 1;
        out +=
            '{' + place(*firstUncoveredLine) + ", \"column\": " + QByteArray::number(column) + '}';
    } else {
        out += "null";
    }
    out += "}}\n";
    return out;
}

} // namespace fit
