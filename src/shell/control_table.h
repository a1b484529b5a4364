#pragma once

#include "form/form1.h"

#include <array>
#include <optional>
#include <string_view>

namespace orvanthe {

// The one window, as data that the Qt and the Win32 window both build themselves from.

enum class ControlKind { TextField, Button, Label, Frame, Picture };

struct Control {
    std::string_view name;
    ControlKind kind;
    std::string_view parent; // "Form1" for the window itself
    std::u16string_view caption;
    // In twips (1/1440 inch), relative to the parent's client area.
    int left;
    int top;
    int width;
    int height;
    int tabIndex; // keyboard focus order, lowest first
    std::optional<FieldId> field;
    std::optional<CommandId> command;
};

inline constexpr std::string_view windowName = "Form1";
inline constexpr std::u16string_view windowCaption = u"Orvanthe 0.1   QV40216";
inline constexpr int clientWidthTwips = 6390;
inline constexpr int clientHeightTwips = 3300;

// Pixels of `twips` at `dpi` dots per inch (15 twips a pixel at 96 DPI).
constexpr int twipsToPixels(int twips, int dpi) {
    return (twips * dpi + 720) / 1440;
}

// Every control, parents before their children, in the window's own order. The work fields
// lie below the client area, out of sight while the window keeps its size. A field or button
// is its form's, named by the form's entry in the table of link forms.
inline constexpr std::array<Control, 27> controls = {{
    // clang-format off
    // name        kind                    parent      caption          left  top   width height tab
    {"xf",        ControlKind::TextField, "Form1",    u"xf",           5760, 4080, 1215, 270,   26, linkForms[3].work, {}},
    {"kc",        ControlKind::TextField, "Form1",    u"kc",           5760, 3720, 1215, 270,   25, linkForms[2].work, {}},
    {"xl",        ControlKind::TextField, "Form1",    u"xl",           5760, 3360, 1215, 270,   24, linkForms[1].work, {}},
    {"Frame1",    ControlKind::Frame,     "Form1",    u"",              120,   60, 6135, 3135,   0, {}, {}},
    {"Picture1",  ControlKind::Picture,   "Frame1",   u"",               25,  120, 6015, 2905,   1, {}, {}},
    {"Frame2",    ControlKind::Frame,     "Picture1", u"",              120, 1950, 5835,  930,  18, {}, {}},
    {"Picture2",  ControlKind::Picture,   "Frame2",   u"",               60,  120, 5715,  660,  19, {}, {}},
    // Command12: http address -> all three links
    {"Command12", ControlKind::Button,    "Picture2", u"http杀全场",     4440,  120, 1215,  495,  23, {}, linkForms[0].convert},
    // Command11: qqdl link -> http address
    {"Command11", ControlKind::Button,    "Picture2", u"旋风>>>http",    3000,  120, 1215,  495,  22, {}, linkForms[3].convert},
    // Command10: flashget link -> http address
    {"Command10", ControlKind::Button,    "Picture2", u"快车>>>http",    1560,  120, 1215,  495,  21, {}, linkForms[2].convert},
    // Command9: thunder link -> http address
    {"Command9",  ControlKind::Button,    "Picture2", u"迅雷>>>http",     120,  120, 1215,  495,  20, {}, linkForms[1].convert},
    // Command8 / Command7: copy / paste the qqdl link
    {"Command8",  ControlKind::Button,    "Picture1", u">>>",            5400, 1640,  495,  315,  17, {}, linkForms[3].copy},
    {"Command7",  ControlKind::Button,    "Picture1", u"<<<",            4800, 1640,  495,  315,  16, {}, linkForms[3].paste},
    // Command6 / Command5: copy / paste the flashget link
    {"Command6",  ControlKind::Button,    "Picture1", u">>>",            5400, 1160,  495,  315,  15, {}, linkForms[2].copy},
    {"Command5",  ControlKind::Button,    "Picture1", u"<<<",            4800, 1160,  495,  315,  14, {}, linkForms[2].paste},
    // Command4 / Command3: copy / paste the thunder link
    {"Command4",  ControlKind::Button,    "Picture1", u">>>",            5400,  660,  495,  315,  13, {}, linkForms[1].copy},
    {"Command3",  ControlKind::Button,    "Picture1", u"<<<",            4800,  660,  495,  315,  12, {}, linkForms[1].paste},
    // Command2 / Command1: copy / paste the http address
    {"Command2",  ControlKind::Button,    "Picture1", u">>>",            5400,  180,  495,  315,  11, {}, linkForms[0].copy},
    {"Command1",  ControlKind::Button,    "Picture1", u"<<<",            4800,  180,  495,  315,  10, {}, linkForms[0].paste},
    {"Text4",     ControlKind::TextField, "Picture1", u"",              960, 1640, 3735,  315,   9, linkForms[3].field, {}},
    {"Text3",     ControlKind::TextField, "Picture1", u"",              960, 1160, 3735,  315,   8, linkForms[2].field, {}},
    {"Text2",     ControlKind::TextField, "Picture1", u"",              960,  660, 3735,  315,   7, linkForms[1].field, {}},
    {"Text1",     ControlKind::TextField, "Picture1", u"",              960,  180, 3735,  315,   6, linkForms[0].field, {}},
    {"Label4",    ControlKind::Label,     "Picture1", u"旋风地址",        120, 1680, 1335,  255,   5, {}, {}},
    {"Label3",    ControlKind::Label,     "Picture1", u"快车地址",        120, 1200,  855,  255,   4, {}, {}},
    {"Label2",    ControlKind::Label,     "Picture1", u"迅雷地址",        120,  720, 1095,  255,   3, {}, {}},
    {"Label1",    ControlKind::Label,     "Picture1", u"http地址",        120,  240,  975,  255,   2, {}, {}},
    // clang-format on
}};

// Index in `controls` of the control named `name`, or -1 for the window.
constexpr int indexOfControl(std::string_view name) {
    for (std::size_t k = 0; k < controls.size(); ++k) {
        if (controls[k].name == name) {
            return int(k);
        }
    }
    return -1;
}

// The label that names each visible field on screen.
struct FieldLabel {
    std::string_view label;
    std::string_view field;
};
inline constexpr std::array<FieldLabel, 4> fieldLabels = {
    {{"Label1", "Text1"}, {"Label2", "Text2"}, {"Label3", "Text3"}, {"Label4", "Text4"}}};

// The field that the label named `name` names, or empty.
constexpr std::string_view fieldOfLabel(std::string_view name) {
    for (const FieldLabel& pair : fieldLabels) {
        if (pair.label == name) {
            return pair.field;
        }
    }
    return {};
}

// What each field and button holds or does, in the language of the captions: its tooltip,
// and the name a screen reader says for it ("<<<" alone tells a listener nothing).
struct ControlHelp {
    std::string_view name;
    std::u16string_view text;
};

inline constexpr std::array<ControlHelp, 19> controlHelp = {{
    {"Text1", u"http 下载地址"},
    {"Text2", u"迅雷链接（thunder://）"},
    {"Text3", u"快车链接（flashget://）"},
    {"Text4", u"旋风链接（qqdl://）"},
    {"Command1", u"粘贴 http 地址并生成三种链接"},
    {"Command2", u"复制 http 地址"},
    {"Command3", u"粘贴迅雷链接并转换"},
    {"Command4", u"复制迅雷链接"},
    {"Command5", u"粘贴快车链接并转换"},
    {"Command6", u"复制快车链接"},
    {"Command7", u"粘贴旋风链接并转换"},
    {"Command8", u"复制旋风链接"},
    {"Command9", u"把迅雷链接转换为 http 地址"},
    {"Command10", u"把快车链接转换为 http 地址"},
    {"Command11", u"把旋风链接转换为 http 地址"},
    {"Command12", u"由 http 地址生成迅雷、快车和旋风链接"},
    // Out of sight, but Tab still reaches them.
    {"xl", u"迅雷转换的工作字段（窗口外）"},
    {"kc", u"快车转换的工作字段（窗口外）"},
    {"xf", u"旋风转换的工作字段（窗口外）"},
}};

// The help text of the control named `name`; empty for labels, frames and panels.
constexpr std::u16string_view helpOf(std::string_view name) {
    for (const ControlHelp& help : controlHelp) {
        if (help.name == name) {
            return help.text;
        }
    }
    return {};
}

// Every field and button has a help text of its own, and nothing else has one.
constexpr bool helpIsComplete() {
    std::size_t named = 0;
    for (const Control& control : controls) {
        const std::u16string_view text = helpOf(control.name);
        const bool wanted =
            control.kind == ControlKind::TextField || control.kind == ControlKind::Button;
        if (text.empty() != !wanted) {
            return false;
        }
        for (const Control& other : controls) {
            if (&other != &control && !text.empty() && helpOf(other.name) == text) {
                return false;
            }
        }
        named += wanted ? 1 : 0;
    }
    return named == controlHelp.size();
}
static_assert(helpIsComplete());

} // namespace orvanthe
