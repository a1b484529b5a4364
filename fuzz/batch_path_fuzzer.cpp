// orvanthe-link's batch path against the form logic alone, on any standard input: both must
// write the same bytes and give the same status. The first byte picks the form written and
// whether the rest is taken as it is or as the decoded bytes of a thunder, flashget or qqdl
// link, so that the bytes behind a body are fuzzed directly.
#include "reference.h"
#include "string_streams.h"

#include <cstdlib>

using namespace orvanthe;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::u16string_view scheme = linkForms[data[0] / 5 % 4].scheme;
    std::string lines(reinterpret_cast<const char*>(data + 1), size - 1);
    if (!scheme.empty()) {
        const std::u16string body = test::referenceBase64(lines);
        lines = std::string(scheme.begin(), scheme.end()).append(body.begin(), body.end());
    }
    const cli::Target target = test::target(data[0] % 5);
    if (test::linkTool(target, lines, false) != test::linkTool(target, lines, true)) {
        std::abort(); // libFuzzer keeps the input that did it
    }
    return 0;
}
