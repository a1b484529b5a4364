#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace orvanthe {

enum class Utf8Forms {
    All,            // every well-formed sequence
    WithoutTwoByte, // no character in U+0080..U+07FF (so code page 936 text rarely passes)
};

// Strict UTF-8 to UTF-16: no overlong forms, no surrogates, nothing above U+10FFFF.
// Gives nothing for bytes that break these rules or use a form `forms` excludes.
std::optional<std::u16string> decodeUtf8(std::span<const std::uint8_t> bytes,
                                         Utf8Forms forms = Utf8Forms::All);

// Whether `bytes` are strict UTF-8 of the forms `forms` allows, as decodeUtf8 reads them;
// finds out without making the text.
bool isUtf8(std::span<const std::uint8_t> bytes, Utf8Forms forms = Utf8Forms::All);

enum class LoneSurrogates {
    Replace, // as U+FFFD
    Keep,    // as the three bytes of their code, which strict UTF-8 refuses
};

// UTF-16 to UTF-8; a lone surrogate becomes what `lone` says.
std::string encodeUtf8(std::u16string_view text, LoneSurrogates lone = LoneSurrogates::Replace);

} // namespace orvanthe
