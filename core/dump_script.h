#pragma once

#include "core/table_encoding.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

// The script dumps that the common extractors write and the inserters read, taken apart into
// strings and blocks. The text arrives decoded; nothing here knows about files or bytes.
//
// A line is a command when it starts with '#', a comment when it starts with "//" (leading
// blanks decide only the kind), otherwise a translation line (blank ones too, which add
// nothing). Pointer commands (#W16, #W24, #W32, #WLB, #WHB, #WBB, #WUB, #EMBWRITE, #WRITE)
// start a string; #JMP($start,$end) starts a block of end - start + 1 bytes (the end is
// inclusive), #JMP($start) one without a limit; other commands are counted and skipped.
//
// Pointer commands with only blank lines and metadata comments between them (several
// pointers to one text, as the inserters allow) start one string, shown by the first.
//
// A string's original is the run of comment lines after its pointer command up to its first
// non-blank translation line: the text after the first "//" of the first line, then each
// further comment line whole (its "//" kept) after a "\n", as a table label such as
// "<line>\n//" wrote them. Its translation is its non-blank translation lines joined with "\n".
// The extractors' headers ("//POINTER #0 @ $10 - STRING #0 @ $11A", "// current address:
// $121", "//GAME NAME:", "//BLOCK #", "//Block Range:") are never original text, and every
// comment after a string's translation has begun is metadata. A header's "STRING #n @ $ADDR"
// gives the start address of the string whose pointer command follows it.
//
// A dump without pointer commands is one stream: its strings end after each end token
// (originals and translations alike, each with its own tokens) and where lines of the other
// kind follow (a translation line after an original, an original's comment after a
// translation), and the n-th original goes with the n-th translation. A translation left
// without an original has an empty one.
namespace script {

struct DumpString {
    std::size_t line = 0;   // 1-based: the pointer command, or where the string begins
    std::u16string command; // the pointer command as written (blanks around it dropped)
    // The lines of every pointer command that writes this string's address, the first one
    // included; empty in a dump without pointer commands.
    std::vector<std::size_t> pointers;
    std::u16string original;
    std::u16string translation;
    bool translated = false;                   // some translation line is not blank
    std::optional<std::uint64_t> start;        // from its header
    std::optional<std::uint64_t> recordedRoom; // to the next recorded address above start
    std::optional<std::size_t> block;          // index into DumpScript::blocks
};

struct DumpBlock {
    std::size_t line = 0; // the #JMP command
    std::uint64_t start = 0;
    std::optional<std::uint64_t> end; // inclusive

    std::optional<std::uint64_t> room() const {
        return end ? std::optional<std::uint64_t>(*end - start + 1) : std::nullopt;
    }
};

struct DumpScript {
    std::vector<DumpString> strings;
    std::vector<DumpBlock> blocks;
    std::size_t skippedCommands = 0; // commands read and ignored
    std::optional<std::size_t> firstSkippedCommand;
};

struct DumpError {
    std::size_t line = 0;
    std::string message;
};

struct DumpRead {
    DumpScript script;
    std::optional<DumpError> error; // the script is empty when set
};

// The end tokens of the two tables, used only by dumps without pointer commands.
struct EndTokens {
    std::vector<std::u16string> original;
    std::vector<std::u16string> translation;
};

// `text` is the whole decoded file; lines end at LF, a CR before it is dropped.
DumpRead readDump(std::u16string_view text, const EndTokens& ends = {});

// "$1A", "0x1A" or "26"; blanks around are ignored. Nothing for anything else or an overflow.
std::optional<std::uint64_t> parseAddress(std::u16string_view text);

// The entries of a table as a dump's texts read them:
// - the two characters "\\n" in an entry's text or label are a line end;
// - a text or label holding a line end also stands, with the same code and kind, for its part
//   before the first line end followed by a line end: "<line>\\n//" ends a comment line of an
//   original, "<line>" a line of a translation, and a line break's cut label is a line break;
// - a line end of its own costs nothing (the file's line ends are not text), so a zero-byte
//   entry is added for it;
// - each of `rawBytes` ("<$XX>", any case) is one byte of that value.
std::vector<encoding::TableEntry> dumpTableEntries(std::vector<encoding::TableEntry> entries,
                                                   const std::set<std::u16string>& rawBytes);

// Adds to `found` every "<$XX>" (two hexadecimal digits) that `text` holds.
void collectRawBytes(std::u16string_view text, std::set<std::u16string>& found);

} // namespace script
