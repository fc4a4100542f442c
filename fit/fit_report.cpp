#include "fit/fit_report.h"

#include "storage/text_encoding.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <string_view>
#include <system_error>
#include <thread>

namespace fit {

namespace {

constexpr qsizetype kPreviewLength = 30;
// Fewer lines are not worth a thread.
constexpr std::size_t kLinesPerWorker = 4096;

Bytes bytesOf(const encoding::TextCost& cost, encoding::Strategy strategy) {
    const encoding::Encoding& chosen = cost.of(strategy);
    return Bytes{cost.greedy.bytes, cost.optimal.bytes, chosen.uncovered, chosen.firstUncovered};
}

// The first characters of a line, a surrogate pair never cut.
QString preview(const QString& text) {
    if (text.size() <= kPreviewLength) {
        return text;
    }
    qsizetype cut = kPreviewLength;
    if (text.at(cut - 1).isHighSurrogate()) {
        --cut;
    }
    return text.left(cut) + u'\u2026';
}

} // namespace

ScriptCheck checkScript(const encoding::TableEncoding& table, const QStringList& original,
                        const QStringList& translation, encoding::Strategy strategy,
                        std::optional<std::size_t> limit) {
    ScriptCheck check;
    check.strategy = strategy;
    const bool optimal = strategy == encoding::Strategy::Optimal;
    const auto chosen = [optimal](const Bytes& b) { return optimal ? b.optimal : b.greedy; };
    const auto count = static_cast<std::size_t>(std::min(original.size(), translation.size()));
    check.lines.resize(count);
    const auto checkRange = [&](std::size_t begin, std::size_t end) {
        for (std::size_t i = begin; i < end; ++i) {
            LineCheck& line = check.lines[i];
            const auto at = static_cast<qsizetype>(i);
            line.original = bytesOf(table.encode(storage::utf16View(original[at])), strategy);
            line.translation = bytesOf(table.encode(storage::utf16View(translation[at])), strategy);
            line.budget = limit.value_or(chosen(line.original));
            line.fits = chosen(line.translation) <= line.budget;
        }
    };
    // Lines are independent and encode() keeps its buffers per thread, so a long script is
    // shared out among the cores; without a thread to be had, this one does the share.
    const unsigned workers =
        count < kLinesPerWorker ? 1 : std::clamp(std::thread::hardware_concurrency(), 1u, 8u);
    std::vector<std::thread> threads;
    for (unsigned w = 1; w < workers; ++w) {
        const std::size_t begin = count * w / workers;
        const std::size_t end = count * (w + 1) / workers;
        try {
            threads.emplace_back(checkRange, begin, end);
        } catch (const std::system_error&) {
            checkRange(begin, end);
        }
    }
    checkRange(0, count / workers);
    for (std::thread& thread : threads) {
        thread.join();
    }

    for (const LineCheck& line : check.lines) {
        check.over += line.fits ? 0 : 1;
        check.originalBytes += chosen(line.original);
        check.translationBytes += chosen(line.translation);
        check.uncovered += line.translation.uncovered;
    }
    return check;
}

// Rows through snprintf into bytes: a script far over its budget prints tens of thousands.
QByteArray formatRows(const ScriptCheck& check, const QStringList& translation) {
    const bool optimal = check.strategy == encoding::Strategy::Optimal;
    QByteArray out;
    out.reserve(static_cast<qsizetype>(check.over) * 96 + 256);
    std::array<char, 96> row{};
    if (check.over + check.offScreen > 0) {
        std::snprintf(row.data(), row.size(), "%6s %7s %7s %6s %9s  %s\n", "line", "budget",
                      "bytes", "over", "uncovered", "translation");
        out += row.data();
    }
    std::optional<std::size_t> firstUncoveredLine;
    for (std::size_t i = 0; i < check.lines.size(); ++i) {
        const LineCheck& line = check.lines[i];
        if (!firstUncoveredLine && line.translation.uncovered > 0) {
            firstUncoveredLine = i;
        }
        if (line.fits) {
            continue;
        }
        const std::size_t bytes = optimal ? line.translation.optimal : line.translation.greedy;
        std::snprintf(row.data(), row.size(), "%6zu %7zu %7zu %+6lld %9zu  ", i + 1, line.budget,
                      bytes, static_cast<long long>(bytes - line.budget),
                      line.translation.uncovered);
        out += row.data();
        out += preview(translation.value(static_cast<qsizetype>(i))).toUtf8();
        out += '\n';
        if (line.screen) {
            out += screenRow(*line.screen, *check.widths);
        }
    }
    QString summary;
    summary += QStringLiteral("%1 lines checked (%2), %3 over budget; original %4 bytes, "
                              "translation %5 bytes")
                   .arg(check.lines.size())
                   .arg(optimal ? QStringLiteral("optimal") : QStringLiteral("greedy"))
                   .arg(check.over)
                   .arg(check.originalBytes)
                   .arg(check.translationBytes);
    if (check.widths) {
        summary += QStringLiteral("; %1 over the screen").arg(check.offScreen);
    }
    if (firstUncoveredLine) {
        const LineCheck& line = check.lines[*firstUncoveredLine];
        summary += QStringLiteral("; characters of the translation not in the table: %1 "
                                  "(first: line %2, column %3)")
                       .arg(check.uncovered)
                       .arg(*firstUncoveredLine + 1)
                       .arg(*line.translation.firstUncovered + 1);
    }
    out += summary.toUtf8();
    out += '\n';
    return out;
}

// Written through snprintf rather than QJsonDocument, which takes seconds for a script of
// 100,000 lines: every value is a number or a boolean, so nothing needs escaping. One line of
// the script per line of output keeps a diff of two reports readable.
QByteArray formatJson(const ScriptCheck& check) {
    QByteArray out = "{\"lines\": [\n";
    out.reserve(static_cast<qsizetype>(check.lines.size()) * 200 + 256);
    std::array<char, 256> buffer{};
    for (std::size_t i = 0; i < check.lines.size(); ++i) {
        const LineCheck& line = check.lines[i];
        std::snprintf(buffer.data(), buffer.size(),
                      "{\"line\": %zu, \"original\": {\"greedy\": %zu, \"optimal\": %zu, "
                      "\"uncovered\": %zu}, \"translation\": {\"greedy\": %zu, \"optimal\": %zu, "
                      "\"uncovered\": %zu}, \"budget\": %zu, ",
                      i + 1, line.original.greedy, line.original.optimal, line.original.uncovered,
                      line.translation.greedy, line.translation.optimal, line.translation.uncovered,
                      line.budget);
        out += buffer.data();
        out += line.screen ? screenJson(*line.screen) + ", " : QByteArray();
        out += line.fits ? "\"fits\": true}" : "\"fits\": false}";
        out += i + 1 < check.lines.size() ? ",\n" : "\n";
    }
    std::snprintf(buffer.data(), buffer.size(),
                  "], \"summary\": {\"strategy\": \"%s\", \"checked\": %zu, \"over\": %zu, "
                  "\"original_bytes\": %zu, \"translation_bytes\": %zu, \"uncovered\": %zu",
                  check.strategy == encoding::Strategy::Optimal ? "optimal" : "greedy",
                  check.lines.size(), check.over, check.originalBytes, check.translationBytes,
                  check.uncovered);
    out += buffer.data();
    if (check.widths) {
        out += ", \"off_screen\": " + QByteArray::number(check.offScreen);
    }
    out += "}}\n";
    return out;
}

} // namespace fit
