#pragma once

#include "core/byte_text.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// The character table: which text each byte value of a game's encoding stands for, read from
// a translator's ".tbl" file (lines such as 41=A ended by CR LF).
//
// Core works on bytes only and touches no file: the caller reads the table file and writes the
// dump text where it wants. Every entry keeps the bytes read from the file, which the dump
// text holds unchanged; the text used to compare an entry with a typed character is decoded
// once, when the entry is stored, by a decoder that the caller supplies.
//
// One table serves a whole run and starts empty. A parse replaces only the codes its file
// names, so entries of an earlier table survive later parses; nothing ever clears it.
class CharTable final {
public:
    struct Entry {
        std::string bytes;   // the value as read from the file; empty means "no entry"
        std::u16string text; // `bytes` decoded when the entry was stored
    };

    enum class LoadStatus {
        Complete,    // every byte of the file was consumed by whole entries
        ReadPastEnd, // the grammar asked for a byte beyond the end; what was stored stays
    };

    // Reads `text` as hexadecimal digits: the last character has weight 1, the one before 16,
    // and so on. a-f and A-F are worth 10 to 15, 0-9 their value, every other byte 0, so "G1"
    // is 1. Two characters give 0..255. An empty text gives 0; a value beyond INT32_MAX gives
    // INT32_MAX.
    static std::int32_t hexToByte(std::string_view text);

    // Reads entries by counting bytes, without searching for '=' or line ends: two code bytes,
    // one skipped byte, the first value byte whatever it is, further value bytes up to the next
    // CR (not part of the value), one skipped byte after the CR. The parse is complete when the
    // bytes consumed equal the file's length after a whole entry. A read beyond the end stops
    // at once: entries already stored stay, and the entry under way keeps its value as far as
    // it was read, or is left untouched if the end came before its first value byte. Storing a
    // value replaces the entry. An empty `decode` stores each byte as bytetext::widen does.
    LoadStatus parse(std::string_view fileBytes, const bytetext::Decoder& decode);

    // The dump text: one line per non-empty entry in ascending code order, the code as two
    // upper-case hex digits, '=', the stored bytes unchanged, CR LF. An empty table gives "".
    std::string formatDump() const;

    // True when the decoded text of at least one entry equals `character` exactly (case
    // counts). An entry of several characters therefore never matches a single character, and
    // an empty `character` matches nothing.
    bool holds(std::u16string_view character) const;

    // The entry of `code`, which must be 0..255; a code without an entry has empty bytes.
    const Entry& entry(std::size_t code) const;

private:
    std::array<Entry, 256> entries_;
};
