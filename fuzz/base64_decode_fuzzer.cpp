// Base64Decode on any text: every UTF-16 unit, in any order and number; and the walk from code
// page bytes to text on any bytes, reached through the Base64 of those bytes.
#include "codec/class1.h"
#include "fuzz_support.h"
#include "reference.h"

using namespace orvanthe;
using namespace orvanthe::fuzz;
using namespace orvanthe::test;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const Class1 codec;
    const std::u16string body = unitsOf({data, size});
    require(codec.Base64Decode(body) == referenceDecode(body), "a text decodes differently");
    const std::u16string ofBytes = referenceBase64({reinterpret_cast<const char*>(data), size});
    require(codec.Base64Decode(ofBytes) == referenceDecode(ofBytes), "bytes read differently");
    return 0;
}
