#include "stowline/FileScanner.h"
#include "stowline/HashList.h"

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

namespace stowline::HashListReader {

std::vector<std::filesystem::path> listsIn(const std::filesystem::path& folder, std::error_code& error) {
    std::vector<std::filesystem::path> lists;
    error.clear();
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end;
         it.increment(error)) {
        const std::string name = it->path().filename().string();
        std::string extension = it->path().extension().string();
        std::transform(extension.begin(), extension.end(), extension.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        // "._" files beside a list are another system's metadata, not lists.
        if (extension == ".mhl" && !FileScanner::isIgnored(name)) {
            lists.push_back(it->path());
        }
    }
    if (error) {
        return {};
    }
    std::sort(lists.begin(), lists.end());
    return lists;
}

} // namespace stowline::HashListReader
