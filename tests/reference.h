#pragma once

// Independent reference conversions for the tests and the fuzz targets: ICU's own bulk
// conversion of code page 936 and OpenSSL's Base64, neither of which the program uses.
#include <array>
#include <string>
#include <string_view>

namespace orvanthe::test {

// Code page 936 bytes of `text`, one "?" for each character the code page lacks.
std::string referenceBytes(std::u16string_view text);

std::u16string referenceBase64(std::string_view bytes);

// What Base64Decode must give for `body`: groups of four decoded leniently (a character
// outside the alphabet is 0, a lone last one dropped), a spare zero byte, and the bytes up to
// the first zero read as UTF-8 where they are UTF-8 beyond ASCII without two-byte forms and
// that reading wins the program's weighing, the rest as code page text.
std::u16string referenceDecode(std::u16string_view body);

// The thunder, flashget and qqdl links of `address`.
std::array<std::u16string, 3> referenceLinks(std::u16string_view address);

} // namespace orvanthe::test
