#include "start_request.h"

namespace orvanthe {

StartRequest startRequest(std::span<const std::u16string_view> arguments) {
    if (arguments.empty()) {
        return {StartKind::Window, {}};
    }
    const std::u16string_view first = arguments.front();
    if (!first.starts_with(u'-')) {
        return {StartKind::Text, first};
    }
    if (arguments.size() == 1 && first == u"--register") {
        return {StartKind::Register, {}};
    }
    if (arguments.size() == 1 && first == u"--unregister") {
        return {StartKind::Unregister, {}};
    }
    return {StartKind::Usage, {}};
}

} // namespace orvanthe
