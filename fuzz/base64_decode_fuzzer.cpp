// Base64Decode on any text: every UTF-16 unit, in any order and number.
#include "codec/class1.h"
#include "fuzz_support.h"

using namespace orvanthe;
using namespace orvanthe::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::u16string body = unitsOf({data, size});
    const std::u16string text = Class1().Base64Decode(body);

    require(!text.empty() && text.back() == u'\0', "the decoded text does not end in NUL", body);
    require(text.size() <= decodedSizeLimit(ansiSize(body)), "the decoded text is too long", body);
    require(text == referenceDecode(body), "the decoded text differs from the reference", body);
    return 0;
}
