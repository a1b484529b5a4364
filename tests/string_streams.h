#pragma once

#include "cli/link_tool.h"

#include <tuple>

namespace orvanthe::test {

// Standard streams in memory: the input given, and what is written to each stream.
struct StringStreams : cli::StandardStreams {
    // When `failing`, the read after the input fails instead of giving its end.
    explicit StringStreams(std::string_view bytes, bool failing = false)
        : input(bytes), failAtEnd(failing) {}
    std::string_view input;
    bool failAtEnd;
    std::string out[2];
    std::optional<std::size_t> read(std::span<char> buffer) override {
        if (input.empty() && failAtEnd) {
            return std::nullopt;
        }
        const std::size_t size = input.copy(buffer.data(), buffer.size());
        input.remove_prefix(size);
        return size;
    }
    bool inputWaiting() override { return true; }
    bool write(Out stream, std::string_view bytes) override {
        out[int(stream)] += bytes;
        return true;
    }
    std::string failure() override { return "the device went away"; }
};

// Each of the tool's targets: one form (0 to 3, in the order of their fields), or all four (4).
inline cli::Target target(std::size_t k) {
    return k < linkForms.size() ? cli::Target(linkForms).subspan(k, 1) : cli::Target(linkForms);
}

// What orvanthe-link writes and whether it converted all, given the lines of `input`, with or
// without its batch path.
inline auto linkTool(cli::Target target, std::string_view input, bool batchPath) {
    StringStreams streams(input);
    cli::LinkTool tool(target, streams, batchPath);
    const bool valid = tool.convertLines();
    tool.flush();
    return std::tuple(streams.out[0], streams.out[1], valid);
}

} // namespace orvanthe::test
