#pragma once

#include <optional>
#include <string_view>
#include <windows.h>

namespace orvanthe {

// Asks the common-controls library for its extended classes, which with the program's
// manifest loads version 6 and so draws the controls with visual styles. True when the
// library and its InitCommonControlsEx were there and it succeeded; a failure goes no
// further than the result.
bool InitVisualStyles();

// Starts the program: visual styles (whatever InitVisualStyles gives), then Form1 shown
// without an owner, with `text`, if given, filled in as a paste of it into its field would.
// Should the system refuse the window, it posts the message that ends the message loop, so
// that no process lingers without a window.
void Main(std::optional<std::u16string_view> text = std::nullopt);

// Delivers the thread's messages, the keys of dialog navigation (Tab, the arrow keys)
// to the top window's controls, until the window ends the program. Gives the exit code.
int runMessageLoop();

// Delivers one message as runMessageLoop does.
void dispatchMessage(MSG& message);

} // namespace orvanthe
