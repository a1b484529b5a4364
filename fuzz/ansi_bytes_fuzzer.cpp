// The walk from code page bytes to text (AnsiBytesToText, private to Class1) on any bytes.
// It is reached through Base64Decode: the Base64 of the bytes, completed with zeros to whole
// groups of three, decodes to exactly those bytes and a spare zero, which the walk then reads.
#include "codec/class1.h"
#include "fuzz_support.h"
#include "reference.h"

using namespace orvanthe;
using namespace orvanthe::fuzz;
using namespace orvanthe::test;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    bytes.append((3 - size % 3) % 3, '\0');
    const std::u16string body = referenceBase64(bytes);
    const std::u16string text = Class1().Base64Decode(body);

    bytes.push_back('\0');
    require(text.size() <= bytes.size(), "more characters than bytes", body);
    // ICU reads the bytes in one go; the walk, pair by pair, must read them alike. Bytes
    // before the first zero that are UTF-8 of the kind links carry are read as UTF-8.
    const std::string kept = bytes.substr(0, bytes.find('\0'));
    const auto utf8 = referenceWideUtf8(kept);
    const std::u16string expected =
        utf8 ? *utf8 + referenceText(std::string_view(bytes).substr(kept.size()))
             : referenceText(bytes);
    require(text == expected, "the bytes read differently from the reference", body);
    return 0;
}
