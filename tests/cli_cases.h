#pragma once
// Runs of orvanthe-link that give the same bytes on every platform, for the suites that run
// the built tool on Linux and under Wine: its arguments and standard input, what it must
// write on standard output, and its exit status.
#include <string>
#include <vector>

namespace orvanthe::test {

struct CliCase {
    const char* name;
    std::vector<std::string> arguments;
    std::string input;  // standard input
    std::string output; // standard output, byte for byte
    int status;
};

inline const std::vector<CliCase>& cliCases() {
    // One address with Chinese in it and its links, through code page 936.
    static const std::string address = "http://中/文.zip";
    static const std::string thunder = "thunder://QUFodHRwOi8v1tAvzsQuemlwWlo=";
    static const std::string flashget =
        "flashget://W0ZMQVNIR0VUXWh0dHA6Ly/W0C/OxC56aXBbRkxBU0hHRVRd&velkaron777";
    static const std::string qqdl = "qqdl://aHR0cDovL9bQL87ELnppcA==";
    static const std::string all = address + "\n" + thunder + "\n" + flashget + "\n" + qqdl + "\n";
    // An address that code page 936 cannot hold, and its link in UTF-8.
    static const std::string korean = "http://x/한국어.zip";
    static const std::string koreanLink = "qqdl://aHR0cDovL3gv7ZWc6rWt7Ja0LnppcA==";
    static const std::string bom = "\xEF\xBB\xBF";

    static const std::vector<CliCase> cases = {
        {"to http", {"--to", "http", qqdl}, "", address + "\n", 0},
        {"to thunder", {"--to", "thunder", address}, "", thunder + "\n", 0},
        {"to flashget", {"--to=flashget", thunder}, "", flashget + "\n", 0},
        {"to qqdl", {"--to", "qqdl", flashget}, "", qqdl + "\n", 0},
        {"to all", {address, qqdl}, "", all + "\n" + all, 0},
        {"characters beyond the code page in arguments",
         {"--to", "http", korean, koreanLink, "http://x/😀 ü ß.zip"},
         "",
         korean + "\n" + korean + "\nhttp://x/😀 ü ß.zip\n",
         0},
        {"standard input",
         {"--to", "http"},
         qqdl + "\n" + thunder + "\n" + koreanLink,
         address + "\n" + address + "\n" + korean + "\n",
         0},
        {"standard input with a byte-order mark and CR LF",
         {"--to", "qqdl"},
         bom + thunder + "\r\n\r\n" + address + "\r\n",
         qqdl + "\n" + qqdl + "\n",
         0},
        {"a byte-order mark alone", {}, bom + "\n" + address + "\n", all, 0},
        {"controls escaped",
         {"--to", "http", "qqdl://YRtdMDt4B+KAriVi"},
         "",
         "a%1B]0;x%07%E2%80%AE%b\n",
         0},
        {"invalid UTF-8 skipped",
         {"--to", "http"},
         qqdl + "\n\xFF\xFE\n" + thunder + "\n",
         address + "\n" + address + "\n",
         1},
        {"unknown form", {"--to", "ftp", address}, "", "", 2},
        {"unknown option", {"-x", address}, "", "", 2},
        {"no form", {"--to"}, "", "", 2},
    };
    return cases;
}

} // namespace orvanthe::test
