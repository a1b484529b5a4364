#pragma once

#include "form/form1.h"

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace orvanthe::cli {

// What Form1::fill gives for the common inputs of a batch, computed straight from UTF-8 bytes
// to UTF-8 bytes: no text is made, nothing is allocated once its buffers have grown, and the
// Base64 body of a link is decoded from the input's own bytes. The form logic stays the
// definition of every result; this path takes only the inputs on which it is certain to give
// the same, and leaves the rest to the form logic.
class BatchFill {
public:
    // Appends to `out`, each followed by "\n", the UTF-8 texts of `forms` that the visible
    // fields would hold after Form1::fill of `input` into the field fieldOfInput names.
    // Takes an address of printable ASCII (the space and "%" among it) and characters the
    // code page holds, or a link (its scheme in any case) with a plain Base64 body whose
    // address is such text again; gives false, and leaves `out` as it was, for anything else:
    // input that is not UTF-8, control characters or white space other than the space
    // anywhere, a space before an address, an address that an escaped scheme makes a link, a
    // character the code page lacks or that reads as white space or formatting, a body that
    // holds anything but the Base64 alphabet and "=", a tail other than its first character
    // and letters or digits, or an address that the decoder would read as UTF-8.
    bool fill(std::string_view input, std::span<const LinkForm> forms, std::string& out);

private:
    // The UTF-8 of a code page pair, looked up once: the bytes and their number, or a mark.
    struct Utf8OfPair {
        static constexpr std::uint8_t unknown = 0;    // not looked up yet
        static constexpr std::uint8_t refused = 1;    // no plain character
        static constexpr std::uint8_t singleByte = 4; // the first byte is a character alone
        std::array<char, 3> bytes{};
        std::uint8_t length = unknown;
    };
    // An address decoded from a link, in UTF-8: its bytes up to the first zero byte, and the
    // end of the last code page pair among them (0 for none).
    struct AddressText {
        std::size_t size = 0;
        std::size_t pairsEnd = 0;
        char* utf8End = nullptr; // null where the batch path does not take the address
    };

    bool fillAddress(std::string_view input, std::span<const LinkForm> forms, std::string& out);
    bool fillLink(const LinkForm& link, std::string_view body, std::span<const LinkForm> forms,
                  std::string& out);
    // Decodes a link's body into `bytes_`, followed by a zero byte and 63 more that may be
    // read: gives how many bytes it decoded, or npos where the body holds anything but the
    // Base64 alphabet and "=".
    std::size_t decode(std::string_view body);
    // Writes the UTF-8 of the decoded address at `from`, which a zero byte ends, to `to`,
    // which has room for three bytes for each byte and 64 more.
    AddressText toUtf8(const std::uint8_t* from, char* to);
    static Utf8OfPair lookUpPair(std::uint8_t lead, std::uint8_t trail);
    // Appends the texts of `forms` for the address `utf8`, whose code page bytes are in
    // `address_`.
    void write(std::string_view utf8, std::span<const LinkForm> forms, std::string& out);

    std::vector<std::uint8_t> bytes_; // a link's decoded bytes
    std::string address_;             // the address's code page bytes
    std::string text_;                // the address in UTF-8, from a link, and room after it
    std::string wrapped_;             // the address within a link's wrapper
    // By the first byte less 0x80 and the second, a row of 1 KiB once a first byte is met.
    std::array<std::unique_ptr<std::array<Utf8OfPair, 0x100>>, 0x80> utf8OfPair_;
};

} // namespace orvanthe::cli
