// orvanthe-link's batch path against the form logic alone, on any standard input: both must
// write the same bytes, report the same and give the same status. The first byte picks the
// form written and whether each line is taken as it is or as the decoded bytes of a thunder,
// flashget or qqdl link, so that the bytes behind a body are fuzzed directly.
#include "cli/link_tool.h"
#include "reference.h"
#include "string_streams.h"

#include <cstdio>
#include <cstdlib>

using namespace orvanthe;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    constexpr std::string_view schemes[] = {"", "thunder://", "flashget://", "qqdl://"};
    const auto target = cli::Target(data[0] % 5);
    const std::string_view scheme = schemes[data[0] / 5 % 4];
    std::string input(reinterpret_cast<const char*>(data + 1), size - 1);
    if (!scheme.empty()) {
        std::string links;
        for (std::size_t start = 0; start <= input.size();) {
            const std::size_t end = std::min(input.find('\n', start), input.size());
            const std::u16string body = test::referenceBase64(input.substr(start, end - start));
            links.append(scheme).append(body.begin(), body.end()).append("\n");
            start = end + 1;
        }
        input = links;
    }

    test::StringStreams streams[2] = {test::StringStreams(input), test::StringStreams(input)};
    bool valid[2];
    for (const int batch : {0, 1}) {
        cli::LinkTool tool(target, streams[batch], batch == 1);
        valid[batch] = tool.convertLines();
        tool.flush();
    }
    if (streams[0].out != streams[1].out || streams[0].err != streams[1].err ||
        valid[0] != valid[1]) {
        std::fprintf(stderr,
                     "the batch path differs on:\n%s\nform logic:\n%s%s\nbatch path:\n%s%s\n",
                     input.c_str(), streams[0].out.c_str(), streams[0].err.c_str(),
                     streams[1].out.c_str(), streams[1].err.c_str());
        std::abort();
    }
    return 0;
}
