#pragma once

#include "form/form1.h"
#include "qt_clipboard.h"

#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>

class QLineEdit;
class QString;

namespace orvanthe {

// The one window. Its controls are built from the control table; each text field shows a
// field of the form logic and passes on what the user types, each button runs the form
// command of its name. After a command only the fields it wrote are shown again, and a
// field out of sight (the work fields below the client area) only when it takes the focus:
// a line edit lays out its whole text on every change, which for a text of megabytes
// costs far more than the conversion. A command either completes, shown, or fails as a
// whole (memory ran out): every field stays as it was, and the user is told.
class Form1Window : public QWidget {
public:
    Form1Window();

    const Form1& form() const { return form_; }

    // What a paste of `text` into the visible field `id` does, without the clipboard.
    void fill(FieldId id, std::u16string_view text);

    // How a failed command reaches the user; by default a message box. A test gives one
    // that does not block.
    void setFailureReport(std::function<void()> report) { report_ = std::move(report); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void edited(FieldId id, const QString& text);
    void run(CommandId command);
    void showChangedFields();
    void showField(std::size_t k);
    void reportFailure();

    QtClipboard clipboard_;
    Form1 form_;
    std::array<QLineEdit*, fieldCount> fieldEdits_{};
    // The revision of each field that its line edit shows.
    std::array<std::uint64_t, fieldCount> shownRevisions_{};
    std::array<bool, fieldCount> outOfSight_{};
    std::function<void()> report_;
};

} // namespace orvanthe
