#include "core/dump_script.h"

#include "core/byte_text.h"

#include <algorithm>
#include <array>

namespace script {

namespace {

enum class LineKind { Blank, Command, Comment, Text };

struct Line {
    LineKind kind;
    std::u16string_view text;    // the whole line
    std::u16string_view content; // from its first non-blank character on
    std::size_t number;
};

bool isBlankUnit(char16_t c) {
    return c == u' ' || c == u'\t';
}

std::u16string_view trimmed(std::u16string_view text) {
    while (!text.empty() && isBlankUnit(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isBlankUnit(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

char16_t upper(char16_t c) {
    return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c;
}

// Whether `text` starts with the ASCII word `prefix`, in any case.
bool startsWithWord(std::u16string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) {
        return false;
    }
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (upper(text[i]) != static_cast<char16_t>(prefix[i])) {
            return false;
        }
    }
    return true;
}

std::vector<Line> splitLines(std::u16string_view text) {
    std::vector<Line> lines;
    std::size_t number = 0;
    while (!text.empty()) {
        const std::size_t lf = text.find(u'\n');
        std::u16string_view line = text.substr(0, lf);
        text.remove_prefix(lf == std::u16string_view::npos ? text.size() : lf + 1);
        if (!line.empty() && line.back() == u'\r') {
            line.remove_suffix(1);
        }
        std::u16string_view content = line;
        while (!content.empty() && isBlankUnit(content.front())) {
            content.remove_prefix(1);
        }
        LineKind kind = LineKind::Text;
        if (trimmed(content).empty()) {
            kind = LineKind::Blank;
        } else if (content.front() == u'#') {
            kind = LineKind::Command;
        } else if (content.substr(0, 2) == u"//") {
            kind = LineKind::Comment;
        }
        lines.push_back(Line{kind, line, content, ++number});
    }
    return lines;
}

constexpr std::array<std::string_view, 9> kPointerCommands = {
    "W16", "W24", "W32", "WLB", "WHB", "WBB", "WUB", "EMBWRITE", "WRITE"};

// The command's name as written after '#', up to '(' or a blank.
std::u16string_view commandName(std::u16string_view content) {
    std::size_t end = 1;
    while (end < content.size() && content[end] != u'(' && !isBlankUnit(content[end])) {
        ++end;
    }
    return content.substr(1, end - 1);
}

bool nameIs(std::u16string_view name, std::string_view wanted) {
    return name.size() == wanted.size() && startsWithWord(name, wanted);
}

bool isPointerCommand(std::u16string_view name) {
    return std::any_of(kPointerCommands.begin(), kPointerCommands.end(),
                       [&](std::string_view p) { return nameIs(name, p); });
}

// What lies between the parentheses after the command's name; nothing when they are missing.
std::optional<std::u16string_view> arguments(std::u16string_view content,
                                             std::u16string_view name) {
    std::u16string_view rest = trimmed(content.substr(1 + name.size()));
    const std::size_t close = rest.find(u')');
    if (rest.empty() || rest.front() != u'(' || close == std::u16string_view::npos) {
        return std::nullopt;
    }
    return rest.substr(1, close - 1);
}

enum class Metadata { None, Header, CurrentAddress, Other };

// The extractors' own comment lines; `address` gets the address a header or a current
// address line records.
Metadata metadataOf(std::u16string_view content, std::optional<std::uint64_t>& address) {
    const std::u16string_view body = trimmed(content.substr(2));
    if (startsWithWord(body, "POINTER")) {
        const std::size_t string = body.find(u"STRING");
        const std::size_t at =
            string == std::u16string_view::npos ? string : body.find(u'@', string);
        if (at != std::u16string_view::npos) {
            std::u16string_view value = trimmed(body.substr(at + 1));
            value = value.substr(0, value.find_first_of(u" \t"));
            address = parseAddress(value);
        }
        return Metadata::Header;
    }
    if (startsWithWord(body, "CURRENT ADDRESS:")) {
        address = parseAddress(body.substr(16));
        return Metadata::CurrentAddress;
    }
    if (startsWithWord(body, "GAME NAME:") || startsWithWord(body, "BLOCK #") ||
        startsWithWord(body, "BLOCK RANGE:")) {
        return Metadata::Other;
    }
    return Metadata::None;
}

// Appends a comment line to an original: the first one after its "//", the others whole.
void appendComment(std::u16string& original, std::u16string_view content) {
    if (original.empty()) {
        original.assign(content.substr(2));
    } else {
        original += u'\n';
        original += content;
    }
}

void appendTranslation(std::u16string& translation, std::u16string_view line) {
    if (!translation.empty()) {
        translation += u'\n';
    }
    translation += line;
}

struct Reader {
    DumpScript script;
    std::optional<DumpError> error;
    std::optional<std::size_t> block;
    std::vector<std::uint64_t> addresses; // every recorded address

    void fail(std::size_t line, std::string message) {
        if (!error) {
            error = DumpError{line, std::move(message)};
        }
    }

    void skipCommand(std::size_t line) {
        if (script.skippedCommands++ == 0) {
            script.firstSkippedCommand = line;
        }
    }

    // Reads a command; returns true for a pointer command, which starts a string.
    bool command(const Line& line) {
        const std::u16string_view name = commandName(line.content);
        const bool pointer = isPointerCommand(name);
        if (!pointer && !nameIs(name, "JMP")) {
            skipCommand(line.number);
            return false;
        }
        const auto args = arguments(line.content, name);
        if (!args) {
            fail(line.number, "the command has no (...) arguments");
            return false;
        }
        if (pointer) {
            return true;
        }
        const std::size_t comma = args->find(u',');
        const auto start = parseAddress(args->substr(0, comma));
        const auto end = comma == std::u16string_view::npos ? std::nullopt
                                                            : parseAddress(args->substr(comma + 1));
        if (!start || (comma != std::u16string_view::npos && !end)) {
            fail(line.number, "#JMP needs a start address and may have an end address");
            return false;
        }
        if (end && *end < *start) {
            fail(line.number, "#JMP ends before it starts");
            return false;
        }
        block = script.blocks.size();
        script.blocks.push_back(DumpBlock{line.number, *start, end});
        return false;
    }

    void readWithPointers(const std::vector<Line>& lines);
    void readStream(const std::vector<Line>& lines, const EndTokens& ends);
    void recordRooms();
};

void Reader::readWithPointers(const std::vector<Line>& lines) {
    enum class Phase { BeforeFirst, Original, Translation };
    Phase phase = Phase::BeforeFirst;
    std::optional<std::uint64_t> headerStart;
    // Nothing but blank lines and metadata since the current string's last pointer command:
    // another pointer command joins that string.
    bool onlyPointers = false;
    for (const Line& line : lines) {
        DumpString* current = script.strings.empty() ? nullptr : &script.strings.back();
        switch (line.kind) {
        case LineKind::Blank:
            break;
        case LineKind::Command: {
            const bool joins = onlyPointers;
            onlyPointers = command(line);
            if (onlyPointers && joins) {
                current->pointers.push_back(line.number);
                current->start = current->start ? current->start : headerStart;
                headerStart.reset();
            } else if (onlyPointers) {
                DumpString string;
                string.line = line.number;
                string.command = trimmed(line.content);
                string.pointers = {line.number};
                string.start = headerStart;
                string.block = block;
                headerStart.reset();
                script.strings.push_back(std::move(string));
                phase = Phase::Original;
            }
            break;
        }
        case LineKind::Comment: {
            std::optional<std::uint64_t> address;
            const Metadata metadata = metadataOf(line.content, address);
            if (metadata == Metadata::Header) {
                headerStart = address;
            }
            if (metadata == Metadata::CurrentAddress && address) {
                addresses.push_back(*address);
            }
            if (metadata == Metadata::None && phase == Phase::Original) {
                appendComment(current->original, line.content);
                onlyPointers = false;
            }
            break;
        }
        case LineKind::Text:
            if (phase != Phase::BeforeFirst) {
                onlyPointers = false;
                phase = Phase::Translation;
                appendTranslation(current->translation, line.text);
                current->translated = true;
            }
            break;
        }
        if (error) {
            return;
        }
    }
}

// Cuts `pending` after each end token into finished pieces; the rest stays pending. The
// earliest token wins; of two starting at the same place, the longer.
void cutAfterEnds(std::u16string& pending, const std::vector<std::u16string>& ends,
                  std::vector<std::u16string>& pieces) {
    for (;;) {
        std::size_t bestAt = std::u16string::npos;
        std::size_t bestLength = 0;
        for (const std::u16string& end : ends) {
            const std::size_t at = end.empty() ? std::u16string::npos : pending.find(end);
            if (at < bestAt ||
                (at == bestAt && at != std::u16string::npos && end.size() > bestLength)) {
                bestAt = at;
                bestLength = end.size();
            }
        }
        if (bestAt == std::u16string::npos) {
            return;
        }
        pieces.push_back(pending.substr(0, bestAt + bestLength));
        pending.erase(0, bestAt + bestLength);
    }
}

void Reader::readStream(const std::vector<Line>& lines, const EndTokens& ends) {
    struct Piece {
        std::u16string text;
        std::size_t line;
        std::optional<std::size_t> block;
    };
    std::vector<Piece> originals;
    std::vector<Piece> translations;
    std::u16string original;
    std::u16string translation;
    Piece originalAt{};
    Piece translationAt{};
    // A piece left over after a cut began on the line that was cut.
    const auto cut = [this](std::u16string& pending, const std::vector<std::u16string>& tokens,
                            Piece& at, std::size_t line, std::vector<Piece>& out) {
        std::vector<std::u16string> pieces;
        cutAfterEnds(pending, tokens, pieces);
        for (std::u16string& piece : pieces) {
            out.push_back(Piece{std::move(piece), at.line, at.block});
            at.line = line;
            at.block = block;
        }
    };
    // A piece also ends where lines of the other kind follow it: an original whose end token
    // the extractor did not write still goes with the translation under it.
    const auto close = [](std::u16string& pending, Piece& at, std::vector<Piece>& out) {
        if (!pending.empty()) {
            out.push_back(Piece{std::move(pending), at.line, at.block});
            pending.clear();
        }
    };
    for (const Line& line : lines) {
        std::optional<std::uint64_t> address;
        if (line.kind == LineKind::Command) {
            command(line);
        } else if (line.kind == LineKind::Comment &&
                   metadataOf(line.content, address) == Metadata::None) {
            close(translation, translationAt, translations);
            if (original.empty()) {
                originalAt = Piece{{}, line.number, block};
            }
            appendComment(original, line.content);
            cut(original, ends.original, originalAt, line.number, originals);
        } else if (line.kind == LineKind::Text) {
            close(original, originalAt, originals);
            if (translation.empty()) {
                translationAt = Piece{{}, line.number, block};
            }
            appendTranslation(translation, line.text);
            cut(translation, ends.translation, translationAt, line.number, translations);
        }
        if (error) {
            return;
        }
    }
    close(original, originalAt, originals);
    close(translation, translationAt, translations);
    const std::size_t count = std::max(originals.size(), translations.size());
    for (std::size_t i = 0; i < count; ++i) {
        DumpString string;
        if (i < originals.size()) {
            string.original = std::move(originals[i].text);
            string.line = originals[i].line;
            string.block = originals[i].block;
        }
        if (i < translations.size()) {
            string.translation = std::move(translations[i].text);
            string.translated = true;
            string.line = translations[i].line;
            string.block = translations[i].block;
        }
        script.strings.push_back(std::move(string));
    }
}

void Reader::recordRooms() {
    for (const DumpString& string : script.strings) {
        if (string.start) {
            addresses.push_back(*string.start);
        }
    }
    std::sort(addresses.begin(), addresses.end());
    for (DumpString& string : script.strings) {
        if (!string.start) {
            continue;
        }
        const auto next = std::upper_bound(addresses.begin(), addresses.end(), *string.start);
        if (next != addresses.end()) {
            string.recordedRoom = *next - *string.start;
        }
    }
}

} // namespace

std::optional<std::uint64_t> parseAddress(std::u16string_view text) {
    text = trimmed(text);
    unsigned base = 10;
    if (!text.empty() && text.front() == u'$') {
        base = 16;
        text.remove_prefix(1);
    } else if (text.size() > 2 && text[0] == u'0' && (text[1] == u'x' || text[1] == u'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty()) {
        return std::nullopt;
    }
    std::uint64_t value = 0;
    for (const char16_t unit : text) {
        const int digit = unit < 0x80 ? bytetext::hexDigit(static_cast<char>(unit)) : -1;
        if (digit < 0 || static_cast<unsigned>(digit) >= base ||
            value > (UINT64_MAX - static_cast<unsigned>(digit)) / base) {
            return std::nullopt;
        }
        value = value * base + static_cast<unsigned>(digit);
    }
    return value;
}

std::vector<encoding::TableEntry> dumpTableEntries(std::vector<encoding::TableEntry> entries,
                                                   const std::set<std::u16string>& rawBytes) {
    const auto lineEnds = [](std::u16string& text) {
        for (std::size_t at = 0; (at = text.find(u"\\n", at)) != std::u16string::npos; ++at) {
            text.replace(at, 2, 1, u'\n');
        }
    };
    std::vector<encoding::TableEntry> added;
    for (encoding::TableEntry& entry : entries) {
        lineEnds(entry.text);
        lineEnds(entry.label);
        for (const std::u16string* text : {&entry.text, &entry.label}) {
            const std::size_t lf = text->find(u'\n');
            if (lf == std::u16string::npos || lf == 0 || lf + 1 == text->size()) {
                continue;
            }
            // The cut stays what the entry is, so a line break's cut label still breaks the
            // line on screen.
            encoding::TableEntry cut{entry.code, text->substr(0, lf + 1), entry.kind, {}};
            if (entry.kind == encoding::EntryKind::LineBreak) {
                cut.label = std::move(cut.text);
                cut.text = u"\n";
            }
            added.push_back(std::move(cut));
        }
    }
    added.push_back(encoding::TableEntry{{}, u"\n", encoding::EntryKind::End, {}});
    for (const std::u16string& raw : rawBytes) {
        const int high = bytetext::hexDigit(static_cast<char>(raw[2]));
        const int low = bytetext::hexDigit(static_cast<char>(raw[3]));
        added.push_back(encoding::TableEntry{std::string(1, static_cast<char>(high * 16 + low)),
                                             raw,
                                             encoding::EntryKind::Text,
                                             {}});
    }
    entries.insert(entries.end(), added.begin(), added.end());
    return entries;
}

void collectRawBytes(std::u16string_view text, std::set<std::u16string>& found) {
    const auto isHex = [](char16_t c) {
        return c < 0x80 && bytetext::hexDigit(static_cast<char>(c)) >= 0;
    };
    for (std::size_t at = 0; (at = text.find(u"<$", at)) != std::u16string_view::npos; ++at) {
        if (at + 5 <= text.size() && isHex(text[at + 2]) && isHex(text[at + 3]) &&
            text[at + 4] == u'>') {
            found.emplace(text.substr(at, 5));
        }
    }
}

DumpRead readDump(std::u16string_view text, const EndTokens& ends) {
    const std::vector<Line> lines = splitLines(text);
    const bool pointers = std::any_of(lines.begin(), lines.end(), [](const Line& line) {
        return line.kind == LineKind::Command && isPointerCommand(commandName(line.content));
    });
    Reader reader;
    if (pointers) {
        reader.readWithPointers(lines);
    } else {
        reader.readStream(lines, ends);
    }
    if (reader.error) {
        return DumpRead{{}, reader.error};
    }
    reader.recordRooms();
    return DumpRead{std::move(reader.script), std::nullopt};
}

} // namespace script
