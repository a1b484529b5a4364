#pragma once

// Independent reference conversions for the tests: ICU's own bulk conversion of code
// page 936 and OpenSSL's Base64, neither of which the program uses.
#include <optional>
#include <string>
#include <string_view>

namespace orvanthe::test {

// Code page 936 bytes of `text`, one "?" for each character the code page lacks.
std::string referenceBytes(std::u16string_view text);

// Code page 936 text of `bytes`, as ICU reads them in one go.
std::u16string referenceText(std::string_view bytes);

// The text of well-formed UTF-8, by ICU; nothing for anything else.
std::optional<std::u16string> referenceUtf8(std::string_view bytes);

// The text of `bytes` when they are UTF-8 of the kind links carry: well formed, with at
// least one character of U+0800 or above and none in U+0080..U+07FF.
std::optional<std::u16string> referenceWideUtf8(std::string_view bytes);

std::u16string referenceBase64(std::string_view bytes);

// The bytes of a padded Base64 body, without the zeros its padding stands for.
std::string referenceUnbase64(std::u16string_view body);

} // namespace orvanthe::test
