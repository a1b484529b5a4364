#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace orvanthe {

// The system ANSI code page as the codec uses it: tables that give the bytes of every
// character and the text of every two-byte code, so that each conversion is a table lookup
// per character and long texts convert in linear time. Code page 936 is built into the
// program; on Windows the system's converter fills the tables once, at first use.
class CodePage {
public:
    struct Tables {
        // Bytes of each UTF-16 code unit: a value below 0x100 is one byte, anything else
        // is a lead byte (high half) and a trail byte (low half). Units the code page lacks,
        // surrogates included, hold "?".
        std::array<std::uint16_t, 0x10000> bytesOfUnit{};
        // Text of each two-byte code whose first byte is 0x80 or more, indexed by
        // (lead - 0x80) * 256 + trail: one UTF-16 unit for a lead byte and the byte after it
        // ("?" where the code page defines no character for them), two for a byte that
        // stands alone and the byte after it.
        std::array<std::array<char16_t, 2>, 0x8000> textOfPair{};
        std::array<std::uint8_t, 0x8000> lengthOfPair{};
        // Text of each byte standing alone.
        std::array<char16_t, 0x100> textOfByte{};
        // Whether each byte of 0x80 or more is a whole character and no lead byte: one that
        // some character encodes to on its own.
        std::array<bool, 0x100> singleBytes{};
        // The character of each two-byte code (indexed as textOfPair) whose lead byte is one,
        // that reads as one character and that this character encodes back to; 0 for the rest.
        std::array<char16_t, 0x8000> characterOfPair{};
    };

    // Fills singleBytes and characterOfPair from the other tables.
    static constexpr void completeTables(Tables& tables) {
        for (const std::uint16_t bytes : tables.bytesOfUnit) {
            if (bytes >= 0x80 && bytes < 0x100) {
                tables.singleBytes[bytes] = true;
            }
        }
        for (std::size_t index = 0; index < tables.textOfPair.size(); ++index) {
            const char16_t c = tables.textOfPair[index][0];
            const bool roundTrip = !tables.singleBytes[0x80 + index / 0x100] &&
                                   tables.lengthOfPair[index] == 1 &&
                                   std::size_t(tables.bytesOfUnit[c]) == 0x8000 + index;
            tables.characterOfPair[index] = roundTrip ? c : u'\0';
        }
    }

    // The system ANSI code page: code page 936 where the platform has no such notion.
    static const CodePage& ansi();

    // Code page 936 as Windows reads and writes it, built into the program: the ANSI code page
    // where the platform has none.
    static const CodePage& builtIn936();

    explicit CodePage(std::unique_ptr<const Tables> tables);
    // Tables that outlive the code page, such as constant ones.
    explicit CodePage(const Tables& tables) : tables_(&tables) {}

    // Appends the bytes of `text`. Each character the code page lacks becomes one "?",
    // a surrogate pair and a lone surrogate alike.
    void appendBytes(std::u16string_view text, std::vector<std::uint8_t>& out) const;

    // The bytes of one UTF-16 unit, as appendBytes gives them: below 0x100 one byte,
    // otherwise a lead byte (high half) and a trail byte (low half); "?" where it lacks one.
    std::uint16_t bytesOfUnit(char16_t unit) const { return tables_->bytesOfUnit[unit]; }

    // Whether the code page has bytes for every character of `text`, so that appendBytes
    // writes no "?" in place of one. A "?" of the text itself is a character like any other.
    bool hasAll(std::u16string_view text) const;

    // Writes the text that the code page gives for the two bytes `lead` (0x80 or more) and
    // `trail` at `to`: one character for a two-byte code, two where the converter reads the
    // bytes apart. Returns the end of what it wrote.
    char16_t* writePair(std::uint8_t lead, std::uint8_t trail, char16_t* to) const {
        const std::size_t index = std::size_t(lead - 0x80) * 0x100 + trail;
        const auto& units = tables_->textOfPair[index];
        to[0] = units[0];
        to[1] = units[1];
        return to + tables_->lengthOfPair[index];
    }

    // The character of the two-byte code `lead` `trail` where it is one character that encodes
    // back to these bytes (so it is read and written alike), or 0.
    char16_t characterOfPair(std::uint8_t lead, std::uint8_t trail) const {
        return tables_->characterOfPair[std::size_t(lead - 0x80) * 0x100 + trail];
    }

    // The character of one byte standing alone.
    char16_t textOfByte(std::uint8_t byte) const { return tables_->textOfByte[byte]; }

    // Whether `byte` (0x80 or more) is a whole character of the code page and no lead byte,
    // as 0x80 ("€") and 0xFF are in code page 936.
    bool isSingleByte(std::uint8_t byte) const { return tables_->singleBytes[byte]; }

private:
    std::unique_ptr<const Tables> owned_;
    const Tables* tables_;
};

} // namespace orvanthe
