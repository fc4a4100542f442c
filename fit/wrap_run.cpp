#include "fit/wrap_run.h"

#include "core/check_engine.h"
#include "core/wrap.h"
#include "fit/fit_io.h"
#include "fit/fit_report.h"
#include "fit/screen_check.h"
#include "storage/text_encoding.h"

#include <QFileInfo>
#include <QSaveFile>

namespace fit {

using namespace Qt::StringLiterals;

namespace {

int fail(std::FILE* err, const QString& message) {
    complain(err, message);
    return kBadInput;
}

bool sameFile(const QString& a, const QString& b) {
    const QFileInfo first(a);
    const QFileInfo second(b);
    return first.absoluteFilePath() == second.absoluteFilePath() ||
           (first.exists() && first.canonicalFilePath() == second.canonicalFilePath());
}

} // namespace

int runWrap(const WrapJob& job, std::FILE* out, std::FILE* err) {
    for (const QString& input : {job.table, job.widths, job.translation}) {
        if (!job.output.isEmpty() && sameFile(job.output, input)) {
            return fail(err, QStringLiteral("will not write over the input file %1").arg(input));
        }
    }
    QString error;
    QByteArray warnings;
    const auto table = loadTable(job.table, error, warnings, job.charSet);
    const auto widths = table ? loadWidthFile(job.widths, error, warnings) : std::nullopt;
    const auto translationBytes = widths ? readFile(job.translation, error) : std::nullopt;
    print(err, warnings);
    if (!translationBytes) {
        return fail(err, error);
    }
    const screen::ScreenMeasure screen(*table, *widths);
    if (!screen.lineBreakText()) {
        return fail(err, QStringLiteral("%1 has no labelled line break (such as *FE=<br>) to "
                                        "write between lines")
                             .arg(job.table));
    }

    const check::Rules rules{*table, *table, &screen};
    const ScriptReader reader{job.charSet, err, {}};
    const storage::DecodedInput input = reader.decode(*translationBytes);
    reader.warnAbout(job.translation, input);
    // One line end for the whole output: the input's, CR LF when it has any.
    const QString lineEnd = input.text.contains(u"\r\n") ? u"\r\n"_s : u"\n"_s;
    QString wrapped;
    int code = kAllFit;
    const std::vector<std::u16string_view> lines =
        storage::lineViews(storage::utf16View(input.text));
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const screen::WrappedLine line = screen::wrapLine(screen, lines[i]);
        const QString text = storage::qstringOf(line.text);
        for (const std::size_t column : line.tooWide) {
            print(err, QStringLiteral("tavrel-fit: line %1, column %2: a word too wide for a "
                                      "line was cut\n")
                           .arg(i + 1)
                           .arg(column + 1)
                           .toUtf8());
        }
        if (!line.fits) {
            const check::TextFigures figures =
                check::measure(rules, false, storage::utf16View(text));
            const check::Verdict verdict =
                check::judge(figures, figures, {}, encoding::Strategy::Greedy, &*widths);
            QByteArray row = screenRow(*verdict.screen, *widths);
            if (verdict.screen->boxOver && !screen.boxText()) {
                // Without a box code the whole text is one box, which no wrap can split.
                row.insert(row.size() - 1, ": the table has no code marked box");
            }
            print(err, QStringLiteral("tavrel-fit: line %1 does not fit after wrapping:\n")
                               .arg(i + 1)
                               .toUtf8() +
                           row);
        }
        code = line.fits && line.tooWide.empty() ? code : kSomeOver;
        wrapped += text + lineEnd;
    }
    bool unwritable = false;
    const QByteArray bytes =
        storage::encodeAs(wrapped, input.charSet, job.charSet, input.bom, &unwritable);
    if (unwritable) {
        complain(err, QStringLiteral("characters %1 has no bytes for were written as ?")
                          .arg(storage::charSetName(input.charSet, job.charSet)));
    }

    if (job.output.isEmpty()) {
        print(out, bytes);
        return code;
    }
    QSaveFile file(job.output);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        return fail(err, QStringLiteral("cannot write %1: %2").arg(job.output, file.errorString()));
    }
    return code;
}

} // namespace fit
