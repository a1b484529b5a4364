#pragma once

#include "form/form1.h"
#include "qt_clipboard.h"

#include <QWidget>
#include <array>
#include <cstdint>

class QLineEdit;
class QString;

namespace orvanthe {

// The one window. Its controls are built from the control table; each text field shows a
// field of the form logic and passes on what the user types, each button runs the form
// command of its name. After a command only the fields it wrote are shown again.
class Form1Window : public QWidget {
public:
    Form1Window();

    const Form1& form() const { return form_; }

private:
    void buildControls();
    void edited(FieldId id, const QString& text);
    void run(CommandId command);
    void showChangedFields();

    QtClipboard clipboard_;
    Form1 form_;
    std::array<QLineEdit*, fieldCount> fieldEdits_{};
    // The revision of each field that its line edit shows.
    std::array<std::uint64_t, fieldCount> shownRevisions_{};
};

} // namespace orvanthe
