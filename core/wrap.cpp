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
        : screen_(screen), text_(text), origin_(origin), out_(out) {}

    // Places text_[from, to): a run of blanks, then a word.
    void place(std::size_t from, std::size_t to) {
        std::u16string& built = out_.text;
        const std::u16string_view piece = text_.substr(from, to - from);
        const TextMeasure now = screen_.measure(tail());
        if (fits(tail() + std::u16string(piece))) {
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

    bool fits(const std::u16string& line) const {
        const TextMeasure m = screen_.measure(line);
        return std::all_of(m.lines.begin(), m.lines.end(),
                           [&](const LineWidth& l) { return screen_.lineFits(l.width); });
    }

    void insertBreak(const TextMeasure& now) {
        const bool boxStartedHere = now.boxLines.size() > 1;
        const std::size_t inBox = now.boxLines.back() + (boxStartedHere ? 0 : linesBefore_);
        const bool newBox = screen_.boxText() && !screen_.boxFits(inBox + 1);
        out_.text += newBox ? *screen_.boxText() : *screen_.lineBreakText();
        lineStart_ = out_.text.size();
        linesBefore_ = newBox ? 0 : inBox;
    }

    // text_[from, to) on a line that holds nothing yet: cut while it is too wide.
    void fillFresh(std::size_t from, std::size_t to) {
        for (;;) {
            const std::u16string head = tail();
            const std::u16string line = head + std::u16string(text_.substr(from, to - from));
            if (fits(line)) {
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
            for (std::size_t i = 1; i < ends.size() && fits(line.substr(0, ends[i])); ++i) {
                cut = ends[i];
            }
            const std::size_t moved = from + (cut - head.size());
            if (cut >= line.size()) { // one glyph wider than a line: nothing to cut
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
