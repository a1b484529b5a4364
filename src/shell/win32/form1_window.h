#pragma once

#include "form/form1.h"
#include "held.h"
#include "shell/control_table.h"
#include "windows_clipboard.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string_view>
#include <windows.h>

namespace orvanthe {

// The window Form1 with the Win32 controls of the control table, over the form logic:
// each edit passes what the user types to its field, each button runs its command, and
// after a command the edits of the fields it wrote show their new text; an edit out of
// sight (the work fields below the client area) only when it takes the focus, since an
// edit lays out its whole text each time it is set. A command either completes, shown,
// or fails as a whole: every field stays as it was, and the user is told.
class Form1Window {
public:
    enum class Failure : std::uint8_t {
        Command, // a command or an edit could not complete (memory ran out): nothing changed
        Copy,    // a copy did not reach the clipboard, which holds what it held
    };
    using FailureReport = std::function<void(Failure)>;

    Form1Window();
    ~Form1Window();
    Form1Window(const Form1Window&) = delete;
    Form1Window& operator=(const Form1Window&) = delete;

    // Creates the window, not yet shown, with its client area at the table's size and
    // every control in place. False when the system refuses a window, or while this
    // object already has one.
    bool create();

    // Null once the window has been destroyed (closing it destroys it).
    HWND hwnd() const { return hwnd_; }

    // The child window of the control named `name` in the control table, or null.
    HWND control(std::string_view name) const;

    // What a paste of `text` into the visible field `id` does, without the clipboard; the
    // window, once created, shows it.
    void fill(FieldId id, std::u16string_view text) {
        form_.fill(id, text);
        showChangedFields();
    }

    // The tooltip control that holds the help texts of the fields and buttons, or null.
    HWND tooltip() const { return tooltip_; }

    // How failures reach the user; by default a message box for a command and a beep for a
    // copy. A test gives one that does not block.
    void setFailureReport(FailureReport report) { report_ = std::move(report); }

    // The clipboard that the commands read and write.
    WindowsClipboard& clipboard() { return clipboard_; }

private:
    // A fixed size: the work fields stay out of sight only while the client area keeps
    // the table's size.
    static constexpr DWORD windowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    bool createControls();
    // Sizes the window to the table's client area at `dpi`, at the top left of `suggested`
    // where given, and places every control and sets its font at that DPI.
    void layOut(int dpi, const RECT* suggested);
    void onControl(std::size_t index, WORD notification);
    void runCommand(CommandId command);
    bool showChangedFields();
    bool showField(std::size_t k);

    WindowsClipboard clipboard_;
    Form1 form_{clipboard_};
    HWND hwnd_ = nullptr;
    HeldFont font_; // the controls' font at the window's DPI
    HWND tooltip_ = nullptr;
    HWND lastFocus_ = nullptr;
    std::array<HWND, controls.size()> children_{};
    std::array<HWND, fieldCount> edits_{};
    // The revision of each field that its edit shows.
    std::array<std::uint64_t, fieldCount> shownRevisions_{};
    bool showing_ = false;
    FailureReport report_;
};

} // namespace orvanthe
