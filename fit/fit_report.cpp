#include "fit/fit_report.h"

#include <array>
#include <cstdio>
#include <string_view>

namespace fit {

namespace {

constexpr qsizetype kPreviewLength = 30;

std::u16string_view viewOf(const QString& text) {
    return {reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size())};
}

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
    check.lines.reserve(static_cast<std::size_t>(original.size()));
    for (qsizetype i = 0; i < original.size() && i < translation.size(); ++i) {
        LineCheck line;
        line.original = bytesOf(table.encode(viewOf(original[i])), strategy);
        line.translation = bytesOf(table.encode(viewOf(translation[i])), strategy);
        const bool optimal = strategy == encoding::Strategy::Optimal;
        const std::size_t originalBytes = optimal ? line.original.optimal : line.original.greedy;
        const std::size_t translationBytes =
            optimal ? line.translation.optimal : line.translation.greedy;
        line.budget = limit.value_or(originalBytes);
        line.fits = translationBytes <= line.budget;
        check.over += line.fits ? 0 : 1;
        check.originalBytes += originalBytes;
        check.translationBytes += translationBytes;
        check.uncovered += line.translation.uncovered;
        check.lines.push_back(line);
    }
    return check;
}

// Rows through snprintf into bytes: a script far over its budget prints tens of thousands.
QByteArray formatRows(const ScriptCheck& check, const QStringList& translation) {
    const bool optimal = check.strategy == encoding::Strategy::Optimal;
    QByteArray out;
    std::array<char, 96> row{};
    if (check.over > 0) {
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
    }
    QString summary;
    summary += QStringLiteral("%1 lines checked (%2), %3 over budget; original %4 bytes, "
                              "translation %5 bytes")
                   .arg(check.lines.size())
                   .arg(optimal ? QStringLiteral("optimal") : QStringLiteral("greedy"))
                   .arg(check.over)
                   .arg(check.originalBytes)
                   .arg(check.translationBytes);
    if (firstUncoveredLine) {
        const LineCheck& line = check.lines[*firstUncoveredLine];
        summary += QStringLiteral("; characters of the translation not in the table: %1 "
                                  "(first: line %2, column %3)")
                       .arg(check.uncovered)
                       .arg(*firstUncoveredLine + 1)
                       .arg(*line.translation.firstUncovered + 1);
    }
    return out + summary.toUtf8() + '\n';
}

// Written through snprintf rather than QJsonDocument, which takes seconds for a script of
// 100,000 lines: every value is a number or a boolean, so nothing needs escaping. One line of
// the script per line of output keeps a diff of two reports readable.
QByteArray formatJson(const ScriptCheck& check) {
    QByteArray out = "{\"lines\": [\n";
    std::array<char, 256> buffer{};
    for (std::size_t i = 0; i < check.lines.size(); ++i) {
        const LineCheck& line = check.lines[i];
        std::snprintf(buffer.data(), buffer.size(),
                      "{\"line\": %zu, \"original\": {\"greedy\": %zu, \"optimal\": %zu, "
                      "\"uncovered\": %zu}, \"translation\": {\"greedy\": %zu, \"optimal\": %zu, "
                      "\"uncovered\": %zu}, \"budget\": %zu, \"fits\": %s}%s\n",
                      i + 1, line.original.greedy, line.original.optimal, line.original.uncovered,
                      line.translation.greedy, line.translation.optimal, line.translation.uncovered,
                      line.budget, line.fits ? "true" : "false",
                      i + 1 < check.lines.size() ? "," : "");
        out += buffer.data();
    }
    std::snprintf(buffer.data(), buffer.size(),
                  "], \"summary\": {\"strategy\": \"%s\", \"checked\": %zu, \"over\": %zu, "
                  "\"original_bytes\": %zu, \"translation_bytes\": %zu, \"uncovered\": %zu}}\n",
                  check.strategy == encoding::Strategy::Optimal ? "optimal" : "greedy",
                  check.lines.size(), check.over, check.originalBytes, check.translationBytes,
                  check.uncovered);
    return out + buffer.data();
}

} // namespace fit
