#include "NameLimits.h"

#include "stowline/FileCopier.h"

#include <climits>

namespace stowline {

std::optional<std::string> nameLimitProblem(const std::filesystem::path& target) {
    constexpr std::size_t nameMax = 255;
    const auto temporary = FileCopier::temporaryPath(target);
    if (temporary.native().size() >= PATH_MAX) {
        return "its path at the destination would be longer than the " + std::to_string(PATH_MAX - 1) +
               " bytes the system allows";
    }
    // The temporary name is shortened to fit when the final one does; the final one cannot be.
    for (const auto& component : target) {
        if (component.native().size() > nameMax) {
            return "the name \"" + component.filename().string() + "\" is longer than " +
                   "the 255 bytes a file name may have";
        }
    }
    return std::nullopt;
}

} // namespace stowline
