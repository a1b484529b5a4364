#include "start_up.h"

#include "shell/start_request.h"

#include <cstdio>
#include <string_view>
#include <vector>

namespace orvanthe {

std::unique_ptr<Form1Window> openForm1(const QStringList& arguments) {
    std::vector<std::u16string_view> views;
    for (qsizetype k = 1; k < arguments.size(); ++k) {
        const QString& argument = arguments[k];
        views.emplace_back(QStringView(argument).utf16(), std::size_t(argument.size()));
    }
    // Here the desktop entry declares the link schemes: registering is for Windows alone.
    const StartRequest request = startRequest(views);
    if (request.kind != StartKind::Window && request.kind != StartKind::Text) {
        std::fputs("usage: orvanthe [Qt options] [LINK-OR-ADDRESS]\n", stderr);
        return nullptr;
    }
    auto form1 = std::make_unique<Form1Window>();
    if (request.kind == StartKind::Text) {
        form1->fill(fieldOfInput(request.text), request.text);
    }
    return form1;
}

} // namespace orvanthe
