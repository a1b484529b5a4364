// The command-line tool's reader (LinkTool::convertLines) on any bytes. The first byte picks
// the form the tool writes; the rest is its standard input.
#include "cli/link_tool.h"
#include "fuzz_support.h"
#include "reference.h"

#include <algorithm>
#include <sstream>
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

    std::istringstream in(input);
    std::ostringstream out;
    std::ostringstream err;
    cli::LinkTool tool(target, out, err);
    const bool allValid = tool.convertLines(in);

    // What the tool should have read: each non-empty line without one CR at its end; the
    // valid ones as text, with their numbers.
    std::vector<std::pair<std::u16string, std::size_t>> texts;
    std::size_t invalid = 0;
    std::size_t number = 0;
    for (std::string_view line : linesOf(input)) {
        ++number;
        if (line.ends_with('\r')) {
            line.remove_suffix(1);
        }
        if (const auto text = referenceUtf8(line); text && !line.empty()) {
            texts.emplace_back(*text, number);
        } else {
            invalid += !line.empty();
        }
    }
    const std::string messages = err.str();
    require(allValid == messages.empty(), "the tool's verdict on its input is wrong", shown);
    std::size_t messagesOfInvalid = 0;
    for (const auto message : linesOf(messages)) {
        messagesOfInvalid += message.ends_with("not valid UTF-8; skipped");
    }
    require(messagesOfInvalid == invalid, "not one message for each invalid line", shown);

    const std::string written = out.str();
    require(written.empty() || written.back() == '\n', "the last line written has no end", shown);
    const auto lines = linesOf(written);
    const bool all = target == cli::Target::All;
    const std::size_t valid = texts.size();
    require(lines.size() == (all ? (valid == 0 ? 0 : 5 * valid - 1) : valid),
            "not the expected number of lines written", shown);
    for (std::size_t k = 0; k < lines.size(); ++k) {
        const std::string_view line = lines[k];
        const std::size_t role = all ? k % 5 : std::size_t(target);
        // A link whose rebuilt form would name another address is written as it was given.
        const bool given = role == std::size_t(fieldOfInput(texts[all ? k / 5 : k].first));
        require(referenceUtf8(line).has_value(), "a line written is not UTF-8", shown);
        require(role != 1 || given || isLink(line, "thunder://", ""), "not a thunder link", shown);
        require(role != 2 || given || isLink(line, "flashget://", "&velkaron777"),
                "not a flashget link", shown);
        require(role != 3 || given || isLink(line, "qqdl://", ""), "not a qqdl link", shown);
        require(role != 4 || line.empty(), "inputs not separated by an empty line", shown);
    }

    // The four lines of one input agree: the links are those of the address, wherever the
    // address line shows the address itself (no "%" that might stand for CR or LF), but for
    // the input's own link where its rebuilt form would not do. Each link written with "?"
    // for a character of the address is named.
    for (std::size_t k = 0; all && k + 3 < lines.size(); k += 5) {
        if (lines[k].find('%') != std::string_view::npos) {
            continue;
        }
        const std::u16string address = *referenceUtf8(lines[k]);
        const auto links = referenceLinks(address);
        const auto& [text, line] = texts[k / 5];
        const std::string bytes = test::referenceBytes(address);
        const bool lacking = std::count(bytes.begin(), bytes.end(), '?') !=
                             std::count(address.begin(), address.end(), u'?');
        std::size_t rebuilt = 0;
        for (std::size_t n = 0; n < 3; ++n) {
            const bool same = lines[k + 1 + n] == std::string(links[n].begin(), links[n].end());
            require(same || std::size_t(fieldOfInput(text)) == n + 1,
                    "a link written is not that of the address written", shown);
            rebuilt += same;
        }
        const std::string named = "orvanthe-link: line " + std::to_string(line) + ": ";
        std::size_t messagesOfLine = 0;
        for (const auto message : linesOf(messages)) {
            messagesOfLine += message.starts_with(named);
        }
        require(messagesOfLine == (lacking ? rebuilt : 0),
                "not one message for each link written with \"?\"", shown);
    }
    return 0;
}
