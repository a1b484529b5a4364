#pragma once

// orvanthe-link's standard streams as strings: input given whole, output and errors kept.
#include "cli/link_tool.h"

#include <algorithm>
#include <cstring>

namespace orvanthe::test {

class StringStreams final : public cli::StandardStreams {
public:
    explicit StringStreams(std::string_view input = {}) : input_(input) {}

    std::optional<std::size_t> read(std::span<char> buffer) override {
        const std::size_t size = std::min(buffer.size(), input_.size());
        std::memcpy(buffer.data(), input_.data(), size);
        input_.remove_prefix(size);
        return size;
    }
    bool inputWaiting() override { return true; }
    bool write(Out stream, std::string_view bytes) override {
        (stream == Out::Output ? out : err) += bytes;
        return true;
    }
    std::string failure() override { return {}; }

    std::string out;
    std::string err;

private:
    std::string_view input_;
};

} // namespace orvanthe::test
