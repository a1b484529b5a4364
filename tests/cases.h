#pragma once

// The table of cases in data/cases.tsv that every suite reads; its header gives the format.
#include "codec/link_forms.h"

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace orvanthe::test {

using Visible = std::vector<std::u16string>; // what Text1 - Text4 show

struct Case {
    std::string kind;
    std::vector<std::u16string> cells; // those after the kind
    int line = 0;

    // 0 to 3 for an input of the http, thunder, flashget or qqdl field; -1 for other kinds.
    int form() const {
        const auto at = std::ranges::find(linkForms, kind, &LinkForm::name);
        return at == linkForms.end() ? -1 : int(at - linkForms.begin());
    }
};

// A cell's UTF-8 text as UTF-16, its escapes replaced.
inline std::u16string unescape(std::string_view cell) {
    std::u16string text;
    for (std::size_t k = 0; k < cell.size();) {
        const auto lead = std::uint8_t(cell[k]);
        if (lead == '\\' && cell.substr(k + 1, 1) == "u") {
            text.push_back(char16_t(std::stoul(std::string(cell.substr(k + 2, 4)), nullptr, 16)));
            k += 6;
        } else if (lead == '\\') {
            const std::size_t at = std::string_view("trn0\\").find(cell.substr(k + 1, 1));
            if (at == std::string_view::npos || k + 1 == cell.size()) {
                throw std::runtime_error("unknown escape in " + std::string(cell));
            }
            text.push_back(u"\t\r\n\0\\"[at]);
            k += 2;
        } else {
            const int length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
            char32_t c = length == 1 ? lead : lead & (0x3Fu >> (length - 1));
            for (int n = 1; n < length; ++n) {
                c = c << 6 | (std::uint8_t(cell[k + std::size_t(n)]) & 0x3Fu);
            }
            k += std::size_t(length);
            if (c >= 0x10000) {
                text.push_back(char16_t(0xD7C0 + (c >> 10)));
                c = 0xDC00 | (c & 0x3FF);
            }
            text.push_back(char16_t(c));
        }
    }
    return text;
}

// The table, read once; its path is compiled in.
inline const std::vector<Case>& cases() {
    static const std::vector<Case> all = [] {
        std::ifstream file(ORVANTHE_CASES, std::ios::binary);
        if (!file) {
            throw std::runtime_error("cannot read " ORVANTHE_CASES);
        }
        std::vector<Case> rows;
        int number = 0;
        for (std::string line; std::getline(file, line);) {
            if (++number, line.empty() || line.front() == '#') {
                continue;
            }
            Case row{line.substr(0, line.find('\t')), {}, number};
            for (std::size_t end = line.find('\t'); end != std::string::npos;) {
                const std::size_t start = end + 1;
                end = line.find('\t', start);
                row.cells.push_back(unescape(std::string_view(line).substr(start, end - start)));
            }
            rows.push_back(std::move(row));
        }
        return rows;
    }();
    return all;
}

// An input of the table, the field it goes to (0 for Text1), and the first of Text1 - Text4
// that pasting it there shows: each form of a row of links, and each input row.
struct Input {
    std::size_t field;
    std::u16string text;
    Visible shown;
    int line;
};

inline std::vector<Input> inputs() {
    std::vector<Input> all;
    for (const Case& row : cases()) {
        for (std::size_t k = 0; row.kind == "links" && k < 4; ++k) {
            all.push_back({k, row.cells[k], row.cells, row.line});
        }
        if (row.form() >= 0) {
            const auto end = row.cells.begin() + int(std::min<std::size_t>(row.cells.size(), 5));
            all.push_back(
                {std::size_t(row.form()), row.cells[0], {row.cells.begin() + 1, end}, row.line});
        }
    }
    return all;
}

} // namespace orvanthe::test
