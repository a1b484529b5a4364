#pragma once

// What the fuzz targets share: turning the fuzzer's bytes into text, and the properties that
// every command must keep whatever it is given.
#include "fake_clipboard.h"
#include "form/form1.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace orvanthe::fuzz {

// The fuzzer's bytes as UTF-16 code units, two bytes to a unit (low byte first), so that
// NUL, lone surrogates and every other unit turn up; an odd last byte is dropped.
std::u16string unitsOf(std::span<const std::uint8_t> bytes);

// Ends the run with `what` and the text it concerns; libFuzzer keeps the input as a crash.
[[noreturn]] void fail(const char* what, std::u16string_view text);

inline void require(bool holds, const char* what, std::u16string_view text) {
    if (!holds) {
        fail(what, text);
    }
}

// The characters of `text` that the code page holds and reads back as themselves, in order;
// NUL and every other character are left out. Such a text is an address that every link
// must give back.
std::u16string codePageCharacters(std::u16string_view text);

// Number of code page bytes of `text`, as the reference converter counts them.
std::size_t ansiSize(std::u16string_view text);

// The most characters Base64Decode can give for a body of `bytes` code page bytes: its byte
// array has 3 bytes for each whole group of 4 and at most 4 more, and no byte yields more
// than one character.
constexpr std::size_t decodedSizeLimit(std::size_t bytes) {
    return bytes / 4 * 3 + 4;
}

// Base64Decode as an independent reference computes it: groups of four decoded leniently
// (a character outside the alphabet is 0, a lone last one is dropped, a short last group is
// completed with "="), a spare zero byte, and the bytes read as the code page or as UTF-8
// by ICU in one go.
std::u16string referenceDecode(std::u16string_view body);

// The thunder, flashget and qqdl links of `address`, with the Base64 of the reference.
std::array<std::u16string, 3> referenceLinks(std::u16string_view address);

// No field holds NUL.
void requireFieldRule(const Form1& form, std::u16string_view input);

// Text2, Text3 and Text4 are exactly the three links of Text1 (Base64 by the reference),
// but for the link field `pasted` after a paste of `input`: where its link would not give
// Text1 back, it holds what was pasted instead.
void requireLinksOfAddress(const Form1& form, std::u16string_view input,
                           FieldId pasted = FieldId::Text1);

// Puts `address` (code page characters, no NUL) into the http field by a paste, then pastes
// each of its links and requires the address back: unchanged, or as the UTF-8 reading of its
// code page bytes where those pass for UTF-8. Each link must then rebuild itself exactly.
void requireRoundTrip(Form1& form, test::FakeClipboard& clipboard, std::u16string_view address);

} // namespace orvanthe::fuzz
