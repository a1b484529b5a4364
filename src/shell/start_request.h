#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace orvanthe {

// What the program's command line asks of a window.
enum class StartKind : std::uint8_t {
    Window,     // no argument: the window as it always opens
    Text,       // the window with the text filled in, as a paste of it into its field would
    Register,   // "--register": become the handler of the three link schemes
    Unregister, // "--unregister": stop being their handler
    Usage,      // any other option, or an option among other arguments: nothing but the usage
};

struct StartRequest {
    StartKind kind;
    std::u16string_view text; // the text to fill in, for StartKind::Text
};

// The request of `arguments`, the program's name left out. A clicked link reaches the
// program as an argument written by a web page, which may hold quotes to break out of its
// own and smuggle options in. So an option counts only as the one and only argument, and
// when the first argument is no option it is the text, whatever follows it.
StartRequest startRequest(std::span<const std::u16string_view> arguments);

} // namespace orvanthe
