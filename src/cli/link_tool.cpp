#include "link_tool.h"

#include "codec/utf8.h"

#include <istream>
#include <ostream>

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

LinkTool::LinkTool(Target target, std::ostream& out, std::ostream& err, bool batchPath)
    : target_(target), out_(out), err_(err), batchPath_(batchPath) {}

bool LinkTool::convert(std::string_view input, std::string_view kind, std::size_t number) {
    if (batchPath_ && convertFast(input)) {
        return true;
    }
    const auto text =
        decodeUtf8({reinterpret_cast<const std::uint8_t*>(input.data()), input.size()});
    if (!text) {
        err_ << "orvanthe-link: " << kind << ' ' << number << " is not valid UTF-8; skipped\n";
        return false;
    }

    // A link goes where its scheme says and is taken apart as that field's button does;
    // anything else is an address typed into the http field.
    const FieldId field = fieldOfInput(*text);
    form_.setText(field, *text);
    form_.takeApart(field);
    if (target_ != Target::Http) {
        form_.run(CommandId::Command12);
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
    return true;
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

bool LinkTool::convertFast(std::string_view input) {
    static constexpr FieldId visible[] = {FieldId::Text1, FieldId::Text2, FieldId::Text3,
                                          FieldId::Text4};
    const bool all = target_ == Target::All;
    line_.clear();
    if (all && !firstResult_) {
        line_ += '\n';
    }
    if (!batch_.fill(input, all ? visible : std::span(visible).subspan(std::size_t(target_), 1),
                     line_)) {
        return false;
    }
    out_ << line_;
    firstResult_ = false;
    return true;
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
