#pragma once
#include "settings/L10n.h"

#include <string>

namespace cli {

/// The active catalog's text for `key`, arguments substituted (numbers in the language's
/// locale), as UTF-8 for the standard streams. Names are passed in escaped already: the
/// catalog's strings would replace a byte that is not UTF-8.
template <class... Args> [[nodiscard]] std::string say(const char* key, const Args&... args) {
    if constexpr (sizeof...(Args) == 0) {
        return L10n::t(key).toStdString();
    } else {
        return L10n::tf(key, args...).toStdString();
    }
}

} // namespace cli
