#include "chinese_font.h"
#include "form1_window.h"

#include <QApplication>

namespace orvanthe {

// Starts the program: the application, then the window, shown without an owner. Closing
// the window ends the event loop and with it the program. Qt reads its own options
// (-platform, -style, ...) from the command line; the program has none of its own.
int Main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Orvanthe"));
    QApplication::setApplicationVersion(QStringLiteral(ORVANTHE_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("orvanthe"));
    preferSimplifiedChineseFaces();

    Form1Window form1;
    form1.show();
    return QApplication::exec();
}

} // namespace orvanthe

int main(int argc, char* argv[]) {
    return orvanthe::Main(argc, argv);
}
