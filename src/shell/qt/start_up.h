#pragma once

#include "form1_window.h"

#include <QStringList>
#include <memory>

namespace orvanthe {

// Form1 as the command line asks for it, from the arguments that QApplication left after
// taking its own options (the program's name first): with the link or address of the
// first argument filled in as a paste of it would, or as it always opens. Null when the
// arguments hold an option, which the usage on standard error then explains.
std::unique_ptr<Form1Window> openForm1(const QStringList& arguments);

} // namespace orvanthe
