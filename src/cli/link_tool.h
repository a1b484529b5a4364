#pragma once

#include "form/clipboard.h"
#include "form/form1.h"

#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>

namespace orvanthe::cli {

// The forms the tool can write, the single ones in the order of the fields that show them.
enum class Target { Http, Thunder, Flashget, Qqdl, All };
static_assert(int(Target::Http) == int(FieldId::Text1) && int(Target::Qqdl) == int(FieldId::Text4));

// The target named `name` ("http", "thunder", "flashget", "qqdl", "all").
std::optional<Target> targetNamed(std::string_view name);

// Converts inputs as the window does, through the same form logic, and writes the
// requested forms in UTF-8, one a line. A result never spans lines: CR and LF inside it
// are written as %0D and %0A. With Target::All an input gives four lines (address,
// thunder, flashget, qqdl) and an empty line separates inputs.
class LinkTool {
public:
    LinkTool(Target target, std::ostream& out, std::ostream& err);

    // Converts one input given as UTF-8 bytes. Input that is not valid UTF-8 is reported on
    // the error stream by `kind` and `number` ("line 7"), skipped, and gives false. A link
    // written with "?" for characters of its address that the code page lacks is written,
    // named the same way, and gives false; a pasted link that would so change is written
    // as it was given, as the window keeps it.
    bool convert(std::string_view input, std::string_view kind, std::size_t number);

    // Converts each line of `in` (LF or CR LF line ends), skipping empty lines. False when
    // any line was skipped as invalid.
    bool convertLines(std::istream& in);

private:
    // The tool has no clipboard: its inputs arrive as arguments and lines.
    class NoClipboard : public Clipboard {
    public:
        std::optional<std::u16string> text() override { return std::nullopt; }
        void setText(std::u16string_view) override {}
    };

    void write(FieldId field);

    // Names each link just written that has "?" for characters of the address that the code
    // page lacks, all but the field `kept`, which holds the input itself (Text1: none kept).
    // Gives true when there was none to name.
    bool namesLinksWithQuestionMarks(FieldId kept, std::string_view kind, std::size_t number);

    Target target_;
    std::ostream& out_;
    std::ostream& err_;
    NoClipboard clipboard_;
    Form1 form_{clipboard_};
    bool firstResult_ = true;
    std::string line_; // reused for each output line
};

} // namespace orvanthe::cli
