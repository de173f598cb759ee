// libFuzzer entry for the text handling that file names pass through: names come from
// whatever wrote the card or the drive, so any bytes must be handled, and each helper must
// keep its promise (the XML text well-formed, the report text on one line, composition
// stable). Built by scripts/fuzz.
#include "stowline/MHLReport.h"
#include "stowline/TemplateFormat.h"
#include "stowline/TextReport.h"
#include "stowline/UnicodeText.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

void require(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace stowline;
    const std::string_view name(reinterpret_cast<const char*>(data), size);

    const std::string composed = UnicodeText::nfc(name);
    require(UnicodeText::nfc(composed) == composed);
    require(!UnicodeText::isValidUtf8(name) || UnicodeText::isValidUtf8(composed));
    require(UnicodeText::graphemeCount(name) <= name.size());

    const std::string xml = MHLReport::xmlText(name);
    require(UnicodeText::isValidUtf8(xml));
    for (const unsigned char c : xml) {
        require(c >= 0x20 && c != '<' && c != '>');
    }

    const std::string shown = TextReport::visibleText(name);
    require(UnicodeText::isValidUtf8(shown));
    require(shown.find_first_of(std::string_view("\n\r\t\0", 4)) == std::string::npos);

    // The name as a template and as an argument: a substituted name is never scanned again.
    (void)TemplateFormat::format(name, {"a", "b"});
    const std::string filled = TemplateFormat::format("[%1]", {std::string(name)});
    require(filled == "[" + std::string(name) + "]");
    return 0;
}
