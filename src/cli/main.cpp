// orvanthe-link: converts addresses and links in batches, as the window does one at a time.
#include "link_tool.h"

#include <iostream>
#include <string_view>
#include <vector>

namespace {

constexpr std::string_view usage = R"(Usage: orvanthe-link [--to FORM] [TEXT...]

Converts download addresses between the http address and the thunder://, flashget://
and qqdl:// links. Each TEXT is one input; with no TEXT, each line of standard input is
one (empty lines are skipped). A link (its scheme in any case) is taken apart into its
address; any other input is the address itself. The requested forms of each address
are written in UTF-8, one a line; CR and LF inside a result are written as %0D and %0A.

  --to FORM    http, thunder, flashget, qqdl, or all (the default): four lines for
               each input (address, thunder, flashget, qqdl), an empty line between
  --help       show this help and exit
  --version    show the version and exit
  --           all that follows is TEXT, even what begins with "-"

Exit status: 0 when every input converted, 1 when an input was not valid UTF-8 (it is
named on standard error and skipped) or a link written has "?" for characters of its
address that the ANSI code page lacks (it is named on standard error; a link given as
input that would so change is written as it was given), 2 for a usage error.
)";

int usageError(std::string_view message) {
    std::cerr << "orvanthe-link: " << message << "\nTry 'orvanthe-link --help'.\n";
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    // Reading a line must not flush the output each time.
    std::ios::sync_with_stdio(false);
    std::cin.tie(nullptr);
    using orvanthe::cli::Target;

    Target target = Target::All;
    std::vector<int> texts; // argv indexes of the TEXT arguments
    bool options = true;
    for (int k = 1; k < argc; ++k) {
        const std::string_view argument = argv[k];
        if (!options || argument.size() < 2 || argument.front() != '-') {
            texts.push_back(k);
        } else if (argument == "--") {
            options = false;
        } else if (argument == "--help") {
            std::cout << usage;
            return 0;
        } else if (argument == "--version") {
            std::cout << "orvanthe-link " ORVANTHE_VERSION "\n";
            return 0;
        } else if (argument == "--to" || argument.starts_with("--to=")) {
            if (argument == "--to" && k + 1 == argc) {
                return usageError("--to needs a FORM");
            }
            const std::string_view name = argument == "--to" ? argv[++k] : argument.substr(5);
            const auto named = orvanthe::cli::targetNamed(name);
            if (!named) {
                return usageError("unknown FORM '" + std::string(name) +
                                  "' (http, thunder, flashget, qqdl or all)");
            }
            target = *named;
        } else {
            return usageError("unknown option '" + std::string(argument) + "'");
        }
    }

    orvanthe::cli::LinkTool tool(target, std::cout, std::cerr);
    bool allValid = true;
    if (texts.empty()) {
        allValid = tool.convertLines(std::cin);
    }
    for (const int k : texts) {
        allValid &= tool.convert(argv[k], "argument", std::size_t(k));
    }
    std::cout.flush();
    return allValid ? 0 : 1;
}
