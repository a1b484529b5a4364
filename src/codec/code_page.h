#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace orvanthe {

// The system ANSI code page as the codec uses it. The platform's converter is asked once,
// when the code page is first used, for every character and every two-byte code; after
// that each conversion is a table lookup per character, so long texts convert in linear
// time with no call into the platform per character.
class CodePage {
public:
    // What the platform's converter fills in once.
    struct Tables {
        // Bytes of each UTF-16 code unit: a value below 0x100 is one byte, anything else
        // is a lead byte (high half) and a trail byte (low half). Units the code page lacks,
        // surrogates included, hold "?".
        std::array<std::uint16_t, 0x10000> bytesOfUnit{};
        // Text of each two-byte code whose first byte is 0x80 or more, indexed by
        // (lead - 0x80) * 256 + trail: one or two UTF-16 units, as the converter gives them.
        std::array<std::array<char16_t, 2>, 0x8000> textOfPair{};
        std::array<std::uint8_t, 0x8000> lengthOfPair{};
        // Text of each byte standing alone.
        std::array<char16_t, 0x100> textOfByte{};
    };

    // The system ANSI code page: code page 936 where the platform has no such notion.
    static const CodePage& ansi();

    explicit CodePage(std::unique_ptr<const Tables> tables);

    // Appends the bytes of `text`. Each character the code page lacks becomes one "?",
    // a surrogate pair and a lone surrogate alike.
    void appendBytes(std::u16string_view text, std::vector<std::uint8_t>& out) const;

    // Whether the code page has bytes for every character of `text`, so that appendBytes
    // writes no "?" in place of one. A "?" of the text itself is a character like any other.
    bool holds(std::u16string_view text) const;

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

    // The character of one byte standing alone.
    char16_t textOfByte(std::uint8_t byte) const { return tables_->textOfByte[byte]; }

    // Whether `byte` (0x80 or more) is a whole character of the code page and no lead byte,
    // as 0x80 ("€") and 0xFF are in code page 936.
    bool isSingleByte(std::uint8_t byte) const { return singleBytes_[byte]; }

private:
    std::unique_ptr<const Tables> tables_;
    std::array<bool, 0x100> singleBytes_{};
};

// Fills the tables from the platform's ANSI code page converter (one implementation per
// platform).
void fillAnsiTables(CodePage::Tables& tables);

} // namespace orvanthe
