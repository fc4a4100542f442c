#include "core/wrap.h"

#include "core/byte_text.h"

#include <algorithm>

namespace screen {

namespace {

// Builds the output; the line being filled starts at `lineStart`, after `linesBefore` lines
// of its box. Only that line is measured again as words join it: what lies before a break
// does not change its width.
class Filler {
public:
    Filler(const ScreenMeasure& screen, std::u16string_view text,
           const std::vector<std::size_t>& origin, WrappedLine& out)
        : screen_(screen), text_(text), origin_(origin), out_(out) {
        const auto room = [&](const std::optional<std::u16string>& code) {
            return code ? screen_.measure(*code).lines.front().width : 0;
        };
        const std::uint64_t lineBreak = room(screen_.lineBreakText()),
                            box = room(screen_.boxText());
        earlyBoxExtra_ = lineBreak > box ? lineBreak - box : 0;
    }

    // Places text_[from, to): a run of blanks, then a word.
    void place(std::size_t from, std::size_t to) {
        std::u16string& built = out_.text;
        const std::u16string_view piece = text_.substr(from, to - from);
        const TextMeasure now = screen_.measure(tail());
        if (fits(tail() + std::u16string(piece), to == text_.size())) {
            built += piece;
            return;
        }
        const bool lineHoldsSomething = now.lines.back().start < tail().size();
        if (piece.front() == u' ' && lineHoldsSomething) {
            insertBreak(now);
            ++from;
        }
        fillFresh(from, to);
    }

private:
    std::u16string tail() const { return out_.text.substr(lineStart_); }

    // Whether every line of `line` (the tail with what would join it) keeps within @line with
    // the room of the break that ends it, the last one too unless nothing follows. The room
    // is that of the break the wrap writes at that place: a box code typed in the text that
    // ends its box before @lines lines stands where the wrap writes a line break, and is held
    // to the line break's room when that is more; so a box code the wrap wrote, read again as
    // typed, is judged as it was when it was written.
    bool fits(const std::u16string& line, bool last) const {
        const TextMeasure m =
            screen_.measure(last ? line : line + breakAfter(screen_.measure(line)));
        std::size_t inBox = linesBefore_;
        for (std::size_t i = 0; i < m.lines.size(); ++i) {
            std::uint64_t width = m.lines[i].width;
            ++inBox;
            if (i + 1 < m.lines.size() && m.lines[i + 1].box != m.lines[i].box) {
                width += screen_.boxFits(inBox + 1) ? earlyBoxExtra_ : 0;
                inBox = 0;
            }
            if (!screen_.lineFits(width)) {
                return false;
            }
        }
        return true;
    }

    // The lines of its box that a tail measuring `now` ends with.
    std::size_t linesInBox(const TextMeasure& now) const {
        const bool boxStartedHere = now.boxLines.size() > 1;
        return now.boxLines.back() + (boxStartedHere ? 0 : linesBefore_);
    }

    // Whether the break after a tail that measures `now` is the box code (the box already
    // holds @lines lines) rather than the line break.
    bool breakStartsBox(const TextMeasure& now) const {
        return screen_.boxText() && !screen_.boxFits(linesInBox(now) + 1);
    }

    const std::u16string& breakAfter(const TextMeasure& now) const {
        return breakStartsBox(now) ? *screen_.boxText() : *screen_.lineBreakText();
    }

    void insertBreak(const TextMeasure& now) {
        const bool newBox = breakStartsBox(now);
        out_.text += breakAfter(now);
        lineStart_ = out_.text.size();
        linesBefore_ = newBox ? 0 : linesInBox(now);
    }

    // text_[from, to) on a line that holds nothing yet: cut while it is too wide.
    void fillFresh(std::size_t from, std::size_t to) {
        for (;;) {
            const std::u16string head = tail();
            const std::u16string line = head + std::u16string(text_.substr(from, to - from));
            if (fits(line, to == text_.size())) {
                out_.text += text_.substr(from, to - from);
                return;
            }
            // The ends of the glyphs past the head, each a place the word may be cut.
            std::vector<std::size_t> ends;
            std::size_t at = 0;
            for (const encoding::Piece& p : greedyPieces(screen_.table(), line)) {
                for (; at < p.start; at += bytetext::charLength(line, at)) {
                    ends.push_back(at + bytetext::charLength(line, at));
                }
                at = p.start + p.length;
                ends.push_back(at);
            }
            for (; at < line.size(); at += bytetext::charLength(line, at)) {
                ends.push_back(at + bytetext::charLength(line, at));
            }
            ends.erase(ends.begin(), std::upper_bound(ends.begin(), ends.end(), head.size()));
            std::size_t cut = ends.front();
            for (std::size_t i = 1; i < ends.size() && fits(line.substr(0, ends[i]), false); ++i) {
                cut = ends[i];
            }
            const std::size_t moved = from + (cut - head.size());
            if (cut >= line.size()) { // one glyph too wide for a line: nothing to cut
                out_.tooWide.push_back(origin_[from]);
                out_.text += text_.substr(from, to - from);
                return;
            }
            out_.tooWide.push_back(origin_[moved]);
            out_.text += text_.substr(from, moved - from);
            insertBreak(screen_.measure(tail()));
            from = moved;
        }
    }

    const ScreenMeasure& screen_;
    std::u16string_view text_;
    const std::vector<std::size_t>& origin_;
    WrappedLine& out_;
    std::size_t lineStart_ = 0;
    std::size_t linesBefore_ = 0;
    std::uint64_t earlyBoxExtra_ = 0; // a line break's room over a box code's
};

} // namespace

WrappedLine wrapLine(const ScreenMeasure& screen, std::u16string_view line) {
    // The typed line breaks become blanks; origin[i] is where text[i] was in `line`.
    std::u16string text;
    std::vector<std::size_t> origin;
    std::size_t at = 0;
    const auto keep = [&](std::size_t to) {
        for (; at < to; ++at) {
            text += line[at];
            origin.push_back(at);
        }
    };
    for (const encoding::Piece& p : greedyPieces(screen.table(), line)) {
        const auto entry = static_cast<std::size_t>(p.entry);
        if (screen.table().entries()[entry].kind == encoding::EntryKind::LineBreak &&
            !screen.startsBox(entry)) {
            keep(p.start);
            text += u' ';
            origin.push_back(p.start);
            at = p.start + p.length;
        }
    }
    keep(line.size());

    WrappedLine out;
    if (!screen.lineBreakText()) {
        out.text = text;
    } else {
        Filler filler(screen, text, origin, out);
        for (std::size_t from = 0; from < text.size();) {
            std::size_t to = text.find_first_not_of(u' ', from);
            to = to == std::u16string::npos ? text.size() : text.find(u' ', to);
            to = to == std::u16string::npos ? text.size() : to;
            filler.place(from, to);
            from = to;
        }
    }
    out.fits = !screen.measure(out.text).firstOverflow;
    return out;
}

} // namespace screen
