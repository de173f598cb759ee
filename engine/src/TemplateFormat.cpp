#include "stowline/TemplateFormat.h"

namespace stowline::TemplateFormat {

std::string format(std::string_view templateText, const std::vector<std::string>& arguments) {
    std::string out;
    out.reserve(templateText.size());
    std::size_t at = 0;
    while (at < templateText.size()) {
        const char c = templateText[at];
        if (c != '%') {
            out += c;
            ++at;
            continue;
        }
        std::size_t digitAt = at + 1;
        if (digitAt < templateText.size() && templateText[digitAt] == 'L') {
            ++digitAt;
        }
        if (digitAt < templateText.size() && templateText[digitAt] >= '1' && templateText[digitAt] <= '9') {
            const auto index = static_cast<std::size_t>(templateText[digitAt] - '1');
            if (index < arguments.size()) {
                out += arguments[index];
                at = digitAt + 1;
                continue;
            }
        }
        out += c;
        ++at;
    }
    return out;
}

} // namespace stowline::TemplateFormat
