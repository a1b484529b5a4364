// The command-line tool's reader (LinkTool::convertLines) on any bytes. The first byte picks
// the form the tool writes and how many bytes each read of standard input gives; the rest is
// its standard input.
#include "cli/link_tool.h"
#include "fuzz_support.h"
#include "reference.h"

#include <algorithm>
#include <vector>

using namespace orvanthe;
using namespace orvanthe::fuzz;
using orvanthe::test::referenceUtf8;

namespace {

constexpr cli::Target targets[] = {cli::Target::Http, cli::Target::Thunder, cli::Target::Flashget,
                                   cli::Target::Qqdl, cli::Target::All};

// The lines of `bytes` split at LF, without a final empty one.
std::vector<std::string_view> linesOf(std::string_view bytes) {
    std::vector<std::string_view> lines;
    while (!bytes.empty()) {
        const std::size_t end = std::min(bytes.find('\n'), bytes.size());
        lines.push_back(bytes.substr(0, end));
        bytes.remove_prefix(std::min(end + 1, bytes.size()));
    }
    return lines;
}

// Standard streams in memory; each read gives at most `pieceSize` bytes, so that lines
// arrive in pieces as from a pipe.
class MemoryStreams final : public cli::StandardStreams {
public:
    MemoryStreams(std::string_view input, std::size_t pieceSize)
        : input_(input), pieceSize_(pieceSize) {}

    std::optional<std::size_t> read(std::span<char> buffer) override {
        const std::size_t size = std::min({buffer.size(), pieceSize_, input_.size()});
        std::copy_n(input_.begin(), size, buffer.begin());
        input_.remove_prefix(size);
        return size;
    }
    bool inputWaiting() override { return true; }
    bool write(Out stream, std::string_view bytes) override {
        (stream == Out::Output ? out : err).append(bytes);
        return true;
    }
    std::string failure() override { return {}; }

    std::string out;
    std::string err;

private:
    std::string_view input_;
    std::size_t pieceSize_;
};

bool isLink(std::string_view line, std::string_view scheme, std::string_view tail) {
    if (!line.starts_with(scheme) || !line.ends_with(tail)) {
        return false;
    }
    const std::string_view body =
        line.substr(scheme.size(), line.size() - scheme.size() - tail.size());
    // Whole groups of the alphabet, with at most two "=" at the end.
    const std::size_t end = std::min(
        body.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/"),
        body.size());
    return body.size() % 4 == 0 && body.size() - end <= 2 &&
           body.find_first_not_of('=', end) == std::string_view::npos;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const cli::Target target = targets[data[0] % std::size(targets)];
    const std::string input(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::u16string shown(input.begin(), input.end()); // byte by byte, for messages

    MemoryStreams streams(input, 1 + data[0] / std::size(targets));
    cli::LinkTool tool(target, streams);
    const bool allValid = tool.convertLines() & tool.flush();

    // What the tool should have read: each non-empty line without one CR at its end, and
    // the first without a byte-order mark at its start.
    std::size_t valid = 0;
    std::size_t invalid = 0;
    for (std::string_view line : linesOf(input)) {
        if (line.data() == input.data() && line.starts_with("\xEF\xBB\xBF")) {
            line.remove_prefix(3);
        }
        if (line.ends_with('\r')) {
            line.remove_suffix(1);
        }
        if (!line.empty()) {
            ++(referenceUtf8(line) ? valid : invalid);
        }
    }
    require(allValid == (invalid == 0), "the tool's verdict on its input is wrong", shown);
    require(linesOf(streams.err).size() == invalid, "not one message for each invalid line", shown);

    const std::string& written = streams.out;
    require(written.empty() || written.back() == '\n', "the last line written has no end", shown);
    const auto lines = linesOf(written);
    const bool all = target == cli::Target::All;
    require(lines.size() == (all ? (valid == 0 ? 0 : 5 * valid - 1) : valid),
            "not the expected number of lines written", shown);
    for (std::size_t k = 0; k < lines.size(); ++k) {
        const std::string_view line = lines[k];
        const std::size_t role = all ? k % 5 : std::size_t(target);
        require(referenceUtf8(line).has_value(), "a line written is not UTF-8", shown);
        require(role != 1 || isLink(line, "thunder://", ""), "not a thunder link", shown);
        require(role != 2 || isLink(line, "flashget://", "&velkaron777"), "not a flashget link",
                shown);
        require(role != 3 || isLink(line, "qqdl://", ""), "not a qqdl link", shown);
        require(role != 4 || line.empty(), "inputs not separated by an empty line", shown);
    }

    // The four lines of one input agree: the links are those of the address, wherever the
    // address line shows the address itself (no "%" that might stand for CR or LF).
    for (std::size_t k = 0; all && k + 3 < lines.size(); k += 5) {
        if (lines[k].find('%') != std::string_view::npos) {
            continue;
        }
        const auto links = referenceLinks(*referenceUtf8(lines[k]));
        for (std::size_t n = 0; n < 3; ++n) {
            require(lines[k + 1 + n] == std::string(links[n].begin(), links[n].end()),
                    "a link written is not that of the address written", shown);
        }
    }
    return 0;
}
