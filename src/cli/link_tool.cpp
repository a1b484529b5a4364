#include "link_tool.h"

#include "codec/code_page.h"
#include "codec/utf8.h"

#include <istream>
#include <ostream>
#include <utility>

namespace orvanthe::cli {

std::optional<Target> targetNamed(std::string_view name) {
    if (name == "http") {
        return Target::Http;
    }
    if (name == "thunder") {
        return Target::Thunder;
    }
    if (name == "flashget") {
        return Target::Flashget;
    }
    if (name == "qqdl") {
        return Target::Qqdl;
    }
    if (name == "all") {
        return Target::All;
    }
    return std::nullopt;
}

LinkTool::LinkTool(Target target, std::ostream& out, std::ostream& err)
    : target_(target), out_(out), err_(err) {}

bool LinkTool::convert(std::string_view input, std::string_view kind, std::size_t number) {
    const auto text =
        decodeUtf8({reinterpret_cast<const std::uint8_t*>(input.data()), input.size()});
    if (!text) {
        err_ << "orvanthe-link: " << kind << ' ' << number << " is not valid UTF-8; skipped\n";
        return false;
    }

    // A link goes where its scheme says, anything else is an address typed into the http
    // field, and either is pasted there as in the window; the address alone needs no links.
    const FieldId field = fieldOfInput(*text);
    bool keptPasted = false;
    if (target_ == Target::Http) {
        form_.setText(field, *text);
        form_.takeApart(field);
    } else {
        keptPasted = form_.fill(field, *text);
    }

    if (target_ != Target::All) {
        write(FieldId(target_)); // the targets and the visible fields share their order
    } else {
        if (!firstResult_) {
            out_ << '\n';
        }
        for (const FieldId each :
             {FieldId::Text1, FieldId::Text2, FieldId::Text3, FieldId::Text4}) {
            write(each);
        }
    }
    firstResult_ = false;
    return namesLinksWithQuestionMarks(keptPasted ? field : FieldId::Text1, kind, number);
}

bool LinkTool::namesLinksWithQuestionMarks(FieldId kept, std::string_view kind,
                                           std::size_t number) {
    if (target_ == Target::Http || CodePage::ansi().holds(form_.text(FieldId::Text1))) {
        return true;
    }
    constexpr std::pair<FieldId, std::string_view> links[] = {
        {FieldId::Text2, "thunder"}, {FieldId::Text3, "flashget"}, {FieldId::Text4, "qqdl"}};
    bool none = true;
    for (const auto& [link, name] : links) {
        if (link != kept && (target_ == Target::All || FieldId(target_) == link)) {
            err_ << "orvanthe-link: " << kind << ' ' << number << ": the " << name
                 << " link has \"?\" for characters the code page lacks\n";
            none = false;
        }
    }
    return none;
}

bool LinkTool::convertLines(std::istream& in) {
    bool allValid = true;
    std::string line;
    for (std::size_t number = 1; std::getline(in, line); ++number) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (!line.empty()) {
            allValid &= convert(line, "line", number);
        }
    }
    return allValid;
}

void LinkTool::write(FieldId field) {
    line_ = encodeUtf8(form_.text(field));
    // Line breaks inside a result are rare: escape only when there are some.
    if (line_.find('\r') != std::string::npos || line_.find('\n') != std::string::npos) {
        std::string escaped;
        for (const char byte : line_) {
            escaped += byte == '\r' ? "%0D" : byte == '\n' ? "%0A" : std::string_view(&byte, 1);
        }
        line_ = std::move(escaped);
    }
    line_ += '\n';
    out_ << line_;
}

} // namespace orvanthe::cli
