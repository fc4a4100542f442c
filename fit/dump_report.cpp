#include "fit/dump_report.h"

#include "fit/fit_report.h"

#include <QString>

#include <array>
#include <cstdio>

namespace fit {

namespace {

constexpr qsizetype kCommandLength = 14;

QString hex(std::uint64_t value) {
    return u'$' + QString::number(value, 16).toUpper();
}

const char* sourceName(check::BudgetSource source) {
    switch (source) {
    case check::BudgetSource::Limit:
        return "limit";
    case check::BudgetSource::RecordedRoom:
        return "room";
    case check::BudgetSource::Original:
        break;
    }
    return "original";
}

} // namespace

QByteArray formatDumpRows(const script::DumpScript& dump, const check::Check& check) {
    QByteArray out;
    std::array<char, 128> row{};
    const check::Summary& summary = check.summary;
    if (summary.failing > 0) {
        std::snprintf(row.data(), row.size(), "%6s  %-15s %7s %7s %6s %6s  %s\n", "line", "command",
                      "budget", "bytes", "over", "block", "translation");
        out += row.data();
    }
    for (std::size_t i = 0; i < check.items.size(); ++i) {
        const check::Verdict& s = check.items[i];
        if (s.fits()) {
            continue;
        }
        const script::DumpString& string = dump.strings[i];
        const std::size_t bytes = s.translation.of(check.strategy);
        std::snprintf(row.data(), row.size(), "%6zu  ", string.line);
        out += row.data();
        QByteArray command;
        appendPreview(command, QStringView(string.command), kCommandLength);
        out += command;
        out += QByteArray(std::max<qsizetype>(1, 16 - QString::fromUtf8(command).size()), ' ');
        std::snprintf(row.data(), row.size(), "%7zu %7zu %+6lld %6zu  ", s.budget, bytes,
                      static_cast<long long>(bytes) - static_cast<long long>(s.budget),
                      s.pastBlock);
        out += row.data();
        appendPreview(out, QStringView(string.translation));
        out += '\n';
        out += verdictRows(s, check);
    }
    for (std::size_t b = 0; b < dump.blocks.size(); ++b) {
        const script::DumpBlock& block = dump.blocks[b];
        const std::size_t used = check.blocks[b].used;
        QString line = QStringLiteral("block at line %1 (%2").arg(block.line).arg(hex(block.start));
        if (const auto room = block.room()) {
            line +=
                QStringLiteral("-%1): %2 of %3 bytes, ").arg(hex(*block.end)).arg(used).arg(*room);
            line += used <= *room ? QStringLiteral("%1 free").arg(*room - used)
                                  : QStringLiteral("over by %1").arg(used - *room);
        } else {
            line += QStringLiteral("): %1 bytes, no end").arg(used);
        }
        out += line.toUtf8() + '\n';
    }
    QString text = counted(summary.checked, "string", "strings") +
                   QStringLiteral(" checked (%1), %2 over budget, %3 untranslated; ")
                       .arg(QLatin1String(strategyName(check.strategy)))
                       .arg(summary.over)
                       .arg(summary.untranslated) +
                   counted(dump.blocks.size(), "block", "blocks") +
                   QStringLiteral(", %1 over").arg(summary.blocksOver);
    if (check.widths) {
        text += QStringLiteral("; %1 over the screen")
                    .arg(counted(summary.offScreen, "string", "strings"));
    }
    text += codesSummary(check);
    const auto uncovered = [&](const char* whose, std::size_t count,
                               const std::optional<std::size_t>& first) {
        if (first) {
            text += QStringLiteral("; characters of the %1 not in the table: %2 "
                                   "(first: string at line %3)")
                        .arg(QLatin1String(whose))
                        .arg(count)
                        .arg(dump.strings[*first].line);
        }
    };
    uncovered("originals", summary.originalUncovered, summary.firstOriginalUncovered);
    uncovered("translations", summary.uncovered, summary.firstUncovered);
    return out + text.toUtf8() + '\n';
}

QByteArray formatDumpJson(const script::DumpScript& dump, const check::Check& check) {
    QByteArray out;
    JsonWriter json(out);
    json.beginObject().key("strings").beginArray(true);
    for (std::size_t i = 0; i < check.items.size(); ++i) {
        const check::Verdict& s = check.items[i];
        const script::DumpString& string = dump.strings[i];
        json.beginObject()
            .member("line", string.line)
            .member("command", std::u16string_view(string.command))
            .key("pointers")
            .beginArray();
        for (const std::size_t pointer : string.pointers) {
            json.value(pointer);
        }
        json.endArray()
            .member("block", string.block)
            .member("translated", string.translated)
            .key("original");
        writeText(json, s.original, check);
        json.key("translation");
        writeText(json, s.translation, check);
        writeScreen(json, s);
        writeCodes(json, s);
        json.member("budget", s.budget)
            .member("budget_from", sourceName(s.source))
            .member("past_block", s.pastBlock)
            .member("fits", s.fits())
            .endObject();
    }
    json.endArray().key("blocks").beginArray(true);
    for (std::size_t b = 0; b < dump.blocks.size(); ++b) {
        const script::DumpBlock& block = dump.blocks[b];
        json.beginObject()
            .member("line", block.line)
            .member("start", block.start)
            .member("end", block.end)
            .member("room", block.room())
            .member("used", check.blocks[b].used)
            .member("fits", check.blocks[b].fits())
            .endObject();
    }
    const check::Summary& summary = check.summary;
    json.endArray()
        .key("summary")
        .beginObject()
        .member("strategy", strategyName(check.strategy))
        .member("checked", summary.checked)
        .member("over", summary.over)
        .member("untranslated", summary.untranslated)
        .member("blocks", dump.blocks.size())
        .member("blocks_over", summary.blocksOver)
        .member("uncovered", summary.uncovered)
        .member("original_uncovered", summary.originalUncovered);
    writeOptionalCounts(json, check);
    json.endObject().endObject();
    return out + '\n';
}

} // namespace fit
