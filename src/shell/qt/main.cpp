#include "chinese_font.h"
#include "start_up.h"

#include <QApplication>

namespace orvanthe {

// Starts the program: the application, then the window, shown without an owner. Closing
// the window ends the event loop and with it the program. Qt takes its own options
// (-platform, -style, ...) from the command line first; what is left may be a link or an
// address to fill in. An option of any other kind is a usage error (status 2). When the
// first argument is the link, what follows it is a web page's, not the user's: Qt does not
// see it either.
int Main(int argc, char* argv[]) {
    const bool link = argc > 1 && argv[1][0] != '-';
    int optionCount = link ? 1 : argc;
    QApplication application(optionCount, argv);
    QApplication::setApplicationName(QStringLiteral("Orvanthe"));
    QApplication::setApplicationVersion(QStringLiteral(ORVANTHE_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("orvanthe"));
    preferSimplifiedChineseFaces();

    QStringList arguments = QApplication::arguments();
    if (link) {
        arguments.append(QString::fromLocal8Bit(argv[1])); // as Qt decodes the others
    }
    const std::unique_ptr<Form1Window> form1 = openForm1(arguments);
    if (!form1) {
        return 2;
    }
    form1->show();
    return QApplication::exec();
}

} // namespace orvanthe

int main(int argc, char* argv[]) {
    return orvanthe::Main(argc, argv);
}
