#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace orvanthe {

// The text of the decoded bytes of a link's body (those before its first zero byte) where they
// are to be read as UTF-8 rather than as code page text. Many links carry the UTF-8 of their
// address, but code page bytes can be UTF-8 too ("濡归旦" in code page 936 is the UTF-8 of
// "妹鵩"). So bytes that may be UTF-8 (strict UTF-8 with at least one byte above ASCII and no
// character in U+0080..U+07FF, forms that code page text rarely makes) are read both ways,
// and the reading of the more ordinary text wins; at a tie, UTF-8. Nothing for any other
// bytes, or where the code page reading wins.
std::optional<std::u16string> utf8Reading(std::span<const std::uint8_t> bytes);

// Whether `text`, the UTF-8 reading of `bytes`, is text as ordinary as their code page reading
// or more: the weighing of utf8Reading.
bool utf8ReadingWins(std::u16string_view text, std::span<const std::uint8_t> bytes);

} // namespace orvanthe
