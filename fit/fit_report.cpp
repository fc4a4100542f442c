#include "fit/fit_report.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <string_view>
#include <system_error>
#include <thread>

namespace fit {

namespace {

// Fewer lines are not worth a thread.
constexpr std::size_t kLinesPerWorker = 4096;

// constData() never detaches or copies, so threads may share the lists.
std::u16string_view viewOf(const QString& text) {
    return {reinterpret_cast<const char16_t*>(text.constData()),
            static_cast<std::size_t>(text.size())};
}

Bytes bytesOf(const encoding::TextCost& cost, encoding::Strategy strategy) {
    const encoding::Encoding& chosen = cost.of(strategy);
    return Bytes{cost.greedy.bytes, cost.optimal.bytes, chosen.uncovered, chosen.firstUncovered};
}

} // namespace

QString preview(const QString& text, qsizetype length) {
    if (text.size() <= length) {
        return text;
    }
    qsizetype cut = length;
    if (text.at(cut - 1).isHighSurrogate()) {
        --cut;
    }
    return text.left(cut) + u'\u2026';
}

ScriptCheck checkScript(const encoding::TableEncoding& originalTable,
                        const encoding::TableEncoding& translationTable,
                        const QStringList& original, const QStringList& translation,
                        encoding::Strategy strategy, std::optional<std::size_t> limit) {
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
            line.original = bytesOf(originalTable.encode(viewOf(original[at])), strategy);
            line.translation = bytesOf(translationTable.encode(viewOf(translation[at])), strategy);
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
QByteArray formatRows(const ScriptCheck& check, const QStringList& translation,
                      const std::vector<std::size_t>* fileLines) {
    const auto lineOf = [fileLines](std::size_t i) {
        return fileLines == nullptr ? i + 1 : (*fileLines)[i];
    };
    const bool optimal = check.strategy == encoding::Strategy::Optimal;
    QByteArray out;
    out.reserve(static_cast<qsizetype>(check.over) * 96 + 256);
    std::array<char, 96> row{};
    if (check.over > 0) {
        if (fileLines != nullptr) {
            out += "record ";
        }
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
        if (fileLines != nullptr) {
            std::snprintf(row.data(), row.size(), "%6zu ", i + 1);
            out += row.data();
        }
        std::snprintf(row.data(), row.size(), "%6zu %7zu %7zu %+6lld %9zu  ", lineOf(i),
                      line.budget, bytes, static_cast<long long>(bytes - line.budget),
                      line.translation.uncovered);
        out += row.data();
        QString shown = translation.value(static_cast<qsizetype>(i));
        out += preview(shown.replace(u'\n', u'\u21B5'), kPreviewLength).toUtf8();
        out += '\n';
    }
    QString summary;
    summary += QStringLiteral("%1 %2 checked (%3), %4 over budget; original %5 bytes, "
                              "translation %6 bytes")
                   .arg(check.lines.size())
                   .arg(QLatin1String(fileLines == nullptr      ? "lines"
                                      : check.lines.size() == 1 ? "row"
                                                                : "rows"))
                   .arg(optimal ? QStringLiteral("optimal") : QStringLiteral("greedy"))
                   .arg(check.over)
                   .arg(check.originalBytes)
                   .arg(check.translationBytes);
    if (firstUncoveredLine) {
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

// Written through snprintf rather than QJsonDocument, which takes seconds for a script of
// 100,000 lines: every value is a number or a boolean, so nothing needs escaping. One line of
// the script per line of output keeps a diff of two reports readable.
QByteArray formatJson(const ScriptCheck& check, const std::vector<std::size_t>* fileLines) {
    QByteArray out = "{\"lines\": [\n";
    out.reserve(static_cast<qsizetype>(check.lines.size()) * 200 + 256);
    std::array<char, 256> buffer{};
    for (std::size_t i = 0; i < check.lines.size(); ++i) {
        const LineCheck& line = check.lines[i];
        if (fileLines != nullptr) {
            std::snprintf(buffer.data(), buffer.size(), "{\"record\": %zu, ", i + 1);
            out += buffer.data();
        }
        std::snprintf(buffer.data(), buffer.size(),
                      "%s\"line\": %zu, \"original\": {\"greedy\": %zu, \"optimal\": %zu, "
                      "\"uncovered\": %zu}, \"translation\": {\"greedy\": %zu, \"optimal\": %zu, "
                      "\"uncovered\": %zu}, \"budget\": %zu, \"fits\": %s}%s\n",
                      fileLines == nullptr ? "{" : "",
                      fileLines == nullptr ? i + 1 : (*fileLines)[i], line.original.greedy,
                      line.original.optimal, line.original.uncovered, line.translation.greedy,
                      line.translation.optimal, line.translation.uncovered, line.budget,
                      line.fits ? "true" : "false", i + 1 < check.lines.size() ? "," : "");
        out += buffer.data();
    }
    std::snprintf(buffer.data(), buffer.size(),
                  "], \"summary\": {\"strategy\": \"%s\", \"checked\": %zu, \"over\": %zu, "
                  "\"original_bytes\": %zu, \"translation_bytes\": %zu, \"uncovered\": %zu}}\n",
                  check.strategy == encoding::Strategy::Optimal ? "optimal" : "greedy",
                  check.lines.size(), check.over, check.originalBytes, check.translationBytes,
                  check.uncovered);
    out += buffer.data();
    return out;
}

} // namespace fit
