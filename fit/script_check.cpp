#include "fit/script_check.h"

#include <QString>

#include <array>
#include <cstdio>

namespace fit {

namespace {

constexpr qsizetype kCommandLength = 14;

bool isOptimal(encoding::Strategy strategy) {
    return strategy == encoding::Strategy::Optimal;
}

std::size_t chosen(const Bytes& bytes, encoding::Strategy strategy) {
    return isOptimal(strategy) ? bytes.optimal : bytes.greedy;
}

QString qstring(const std::u16string& text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

// A dump's text ends a file line, which labels such as "<end>\n\n" look for; the line end
// itself costs nothing.
QString dumpText(const std::u16string& text) {
    return qstring(text) + u'\n';
}

QString hex(std::uint64_t value) {
    return u'$' + QString::number(value, 16).toUpper();
}

// Calls `row` with the index of each item that does not fit; returns the index of the first
// whose translation holds characters no entry covers.
template <class Items, class Row>
std::optional<std::size_t> eachFailing(const Items& items, const Row& row) {
    std::optional<std::size_t> firstUncovered;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (!firstUncovered && items[i].translation.uncovered > 0) {
            firstUncovered = i;
        }
        if (!items[i].fits) {
            row(i);
        }
    }
    return firstUncovered;
}

const char* sourceName(BudgetSource source) {
    switch (source) {
    case BudgetSource::Limit:
        return "limit";
    case BudgetSource::RecordedRoom:
        return "room";
    case BudgetSource::Original:
        break;
    }
    return "original";
}

} // namespace

DumpCheck checkDump(const script::DumpScript& dump, const encoding::TableEncoding& originalTable,
                    const encoding::TableEncoding& translationTable, encoding::Strategy strategy,
                    std::optional<std::size_t> limit, bool bothStrategies,
                    const screen::ScreenMeasure* screen) {
    DumpCheck check;
    check.strategy = strategy;
    check.bothStrategies = bothStrategies;
    check.blocks.resize(dump.blocks.size());
    // The strings are measured as the lines of a plain script are, bytes and screen; their
    // budgets and blocks are the dump's own.
    QStringList originals;
    QStringList translations;
    for (const script::DumpString& string : dump.strings) {
        originals.append(dumpText(string.original));
        translations.append(dumpText(string.translation));
    }
    const ScriptCheck measured =
        checkScript(originalTable, translationTable, originals, translations, strategy,
                    std::nullopt, bothStrategies, screen);
    check.widths = measured.widths;
    for (std::size_t i = 0; i < dump.strings.size(); ++i) {
        const script::DumpString& string = dump.strings[i];
        const LineCheck& line = measured.lines[i];
        StringCheck s;
        s.original = line.original;
        if (limit) {
            s.budget = *limit;
            s.source = BudgetSource::Limit;
        } else if (string.recordedRoom) {
            s.budget = static_cast<std::size_t>(*string.recordedRoom);
            s.source = BudgetSource::RecordedRoom;
        } else {
            s.budget = chosen(s.original, strategy);
        }
        if (!string.translated) {
            ++check.untranslated;
            check.strings.push_back(s);
            continue;
        }
        s.translation = line.translation;
        s.screen = line.screen;
        check.uncovered += s.translation.uncovered;
        const std::size_t bytes = chosen(s.translation, strategy);
        s.fits = fitsIn(s.translation, s.budget, strategy);
        if (string.block) {
            BlockCheck& block = check.blocks[*string.block];
            block.used += bytes;
            const auto room = dump.blocks[*string.block].room();
            if (room && block.used > *room) {
                s.pastBlock = std::min<std::size_t>(bytes, block.used - *room);
                s.fits = false;
                block.fits = false;
            }
        }
        check.over += s.fits ? 0 : 1;
        if (s.screen) {
            check.offScreen += s.screen->fits() ? 0 : 1;
            s.fits = s.fits && s.screen->fits();
        }
        check.strings.push_back(s);
    }
    for (const BlockCheck& block : check.blocks) {
        check.blocksOver += block.fits ? 0 : 1;
    }
    return check;
}

QByteArray formatDumpRows(const script::DumpScript& dump, const DumpCheck& check) {
    QByteArray out;
    std::array<char, 128> row{};
    if (check.over + check.offScreen > 0) {
        std::snprintf(row.data(), row.size(), "%6s  %-15s %7s %7s %6s %6s  %s\n", "line", "command",
                      "budget", "bytes", "over", "block", "translation");
        out += row.data();
    }
    const auto firstUncovered = eachFailing(check.strings, [&](std::size_t i) {
        const StringCheck& s = check.strings[i];
        const script::DumpString& string = dump.strings[i];
        const std::size_t bytes = chosen(s.translation, check.strategy);
        std::snprintf(row.data(), row.size(), "%6zu  ", string.line);
        out += row.data();
        QByteArray command;
        appendPreview(command, qstring(string.command), kCommandLength);
        out += command;
        out += QByteArray(std::max<qsizetype>(1, 16 - QString::fromUtf8(command).size()), ' ');
        std::snprintf(row.data(), row.size(), "%7zu %7zu %+6lld %6zu  ", s.budget, bytes,
                      static_cast<long long>(bytes) - static_cast<long long>(s.budget),
                      s.pastBlock);
        out += row.data();
        appendPreview(out, qstring(string.translation));
        out += '\n';
        const QString verdict = verdictOf(s.translation, check.strategy);
        if (!verdict.isEmpty()) {
            out += "        " + verdict.toUtf8() + '\n';
        }
        if (s.screen) {
            out += screenRow(*s.screen, *check.widths);
        }
    });
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
    QString summary = counted(check.strings.size(), "string", "strings") +
                      QStringLiteral(" checked (%1), %2 over budget, %3 untranslated; ")
                          .arg(QLatin1String(isOptimal(check.strategy) ? "optimal" : "greedy"))
                          .arg(check.over)
                          .arg(check.untranslated) +
                      counted(dump.blocks.size(), "block", "blocks") +
                      QStringLiteral(", %1 over").arg(check.blocksOver);
    if (check.widths) {
        summary += QStringLiteral("; %1 over the screen")
                       .arg(counted(check.offScreen, "string", "strings"));
    }
    if (firstUncovered) {
        summary += QStringLiteral("; characters of the translations not in the table: %1 "
                                  "(first: string at line %2)")
                       .arg(check.uncovered)
                       .arg(dump.strings[*firstUncovered].line);
    }
    return out + summary.toUtf8() + '\n';
}

QByteArray formatDumpJson(const script::DumpScript& dump, const DumpCheck& check) {
    QByteArray out = "{\"strings\": [\n";
    const bool greedy = check.bothStrategies || !isOptimal(check.strategy);
    const bool optimal = check.bothStrategies || isOptimal(check.strategy);
    std::array<char, 320> buffer{};
    for (std::size_t i = 0; i < check.strings.size(); ++i) {
        const StringCheck& s = check.strings[i];
        const script::DumpString& string = dump.strings[i];
        std::snprintf(buffer.data(), buffer.size(), "{\"line\": %zu, \"command\": ", string.line);
        out += buffer.data() + ('"' + jsonString(string.command) + '"');
        out += ", \"pointers\": [";
        for (const std::size_t pointer : string.pointers) {
            out += (pointer == string.pointers.front() ? "" : ", ") + QByteArray::number(pointer);
        }
        out += ']';
        out += ", \"block\": " + (string.block ? QByteArray::number(*string.block) : "null");
        out += ", \"translated\": " + QByteArray(string.translated ? "true" : "false");
        out += ", \"original\": ";
        appendTextJson(out, s.original, greedy, optimal);
        out += ", \"translation\": ";
        appendTextJson(out, s.translation, greedy, optimal);
        if (s.screen) {
            out += ", " + screenJson(*s.screen);
        }
        std::snprintf(buffer.data(), buffer.size(),
                      ", \"budget\": %zu, \"budget_from\": \"%s\", \"past_block\": %zu, "
                      "\"fits\": %s}%s\n",
                      s.budget, sourceName(s.source), s.pastBlock, s.fits ? "true" : "false",
                      i + 1 < check.strings.size() ? "," : "");
        out += buffer.data();
    }
    out += "], \"blocks\": [\n";
    for (std::size_t b = 0; b < dump.blocks.size(); ++b) {
        const script::DumpBlock& block = dump.blocks[b];
        const auto room = block.room();
        std::snprintf(buffer.data(), buffer.size(), "{\"line\": %zu, \"start\": %llu, ", block.line,
                      static_cast<unsigned long long>(block.start));
        out += buffer.data();
        out += "\"end\": " + (block.end ? QByteArray::number(*block.end) : "null") +
               ", \"room\": " + (room ? QByteArray::number(*room) : "null");
        std::snprintf(buffer.data(), buffer.size(), ", \"used\": %zu, \"fits\": %s}%s\n",
                      check.blocks[b].used, check.blocks[b].fits ? "true" : "false",
                      b + 1 < dump.blocks.size() ? "," : "");
        out += buffer.data();
    }
    std::snprintf(buffer.data(), buffer.size(),
                  "], \"summary\": {\"strategy\": \"%s\", \"checked\": %zu, \"over\": %zu, "
                  "\"untranslated\": %zu, \"blocks\": %zu, \"blocks_over\": %zu, "
                  "\"uncovered\": %zu",
                  isOptimal(check.strategy) ? "optimal" : "greedy", check.strings.size(),
                  check.over, check.untranslated, dump.blocks.size(), check.blocksOver,
                  check.uncovered);
    out += buffer.data();
    if (check.widths) {
        out += ", \"off_screen\": " + QByteArray::number(check.offScreen);
    }
    return out + "}}\n";
}

void applyRowLimits(ScriptCheck& check, const std::vector<script::CsvRow>& rows) {
    for (std::size_t i = 0; i < rows.size(); ++i) {
        LineCheck& line = check.lines[i];
        if (rows[i].limit) {
            check.over -= line.fits ? 0 : 1;
            line.budget = static_cast<std::size_t>(*rows[i].limit);
            line.fits = fitsIn(line.translation, line.budget, check.strategy);
            check.over += line.fits ? 0 : 1;
        }
    }
}

} // namespace fit
