// Canonical composition (NFC) and extended grapheme clusters from tables generated out of
// the Unicode Character Database (scripts/gen-unicode-tables). Bytes that are not valid
// UTF-8 travel through both as single opaque units: never altered, never combined.
#include "stowline/UnicodeText.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <optional>
#include <vector>

namespace stowline::UnicodeText {
namespace {

struct CombiningClassRange {
    char32_t first;
    char32_t last;
    std::uint8_t combiningClass;
};

struct Decomposition {
    char32_t codePoint;
    std::uint16_t poolOffset; // into kDecompositionPool
    std::uint8_t length;
};

struct Composition {
    char32_t first;
    char32_t second;
    char32_t composite;
};

enum class GraphemeBreak : std::uint8_t {
    other,
    cr,
    lf,
    control,
    extend,
    zwj,
    regionalIndicator,
    prepend,
    spacingMark,
    l,
    v,
    t,
    lv,
    lvt,
    extendedPictographic,
};

struct GraphemeBreakRange {
    char32_t first;
    char32_t last;
    GraphemeBreak value;
};

#include "UnicodeTables.inc"

// An ill-formed byte b is carried as kInvalidByteBase + b: above every code point, so no
// table lookup ever matches it.
constexpr char32_t kInvalidByteBase = 0x110000;

// Hangul syllables are decomposed and composed arithmetically rather than tabled.
constexpr char32_t kSyllableBase = 0xAC00;
constexpr char32_t kLeadingBase = 0x1100;
constexpr char32_t kVowelBase = 0x1161;
constexpr char32_t kTrailingBase = 0x11A7; // one below the first trailing consonant
constexpr char32_t kLeadingCount = 19;
constexpr char32_t kVowelCount = 21;
constexpr char32_t kTrailingCount = 28; // including "no trailing consonant"
constexpr char32_t kSyllableCount = kLeadingCount * kVowelCount * kTrailingCount;

bool isSyllable(char32_t c) {
    return c >= kSyllableBase && c < kSyllableBase + kSyllableCount;
}

struct Decoded {
    char32_t unit;
    std::size_t length;
};

// One unit at the front of non-empty text: a well-formed sequence, or else its first byte alone.
Decoded decodeOne(std::string_view text) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    const Decoded invalid{kInvalidByteBase + lead, 1};
    if (lead < 0x80) {
        return {lead, 1};
    }
    std::size_t length = 0;
    char32_t value = 0;
    unsigned char low = 0x80; // allowed range of the second byte
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        value = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        value = lead & 0x0F;
        low = lead == 0xE0 ? 0xA0 : 0x80;  // overlong
        high = lead == 0xED ? 0x9F : 0xBF; // surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        value = lead & 0x07;
        low = lead == 0xF0 ? 0x90 : 0x80;  // overlong
        high = lead == 0xF4 ? 0x8F : 0xBF; // above U+10FFFF
    } else {
        return invalid;
    }
    if (text.size() < length) {
        return invalid;
    }
    for (std::size_t i = 1; i < length; ++i) {
        const unsigned char next = byte(i);
        if (next < (i == 1 ? low : 0x80) || next > (i == 1 ? high : 0xBF)) {
            return invalid;
        }
        value = (value << 6) | (next & 0x3F);
    }
    return {value, length};
}

void encode(char32_t c, std::string& out) {
    if (c >= kInvalidByteBase) {
        out.push_back(static_cast<char>(c - kInvalidByteBase));
    } else if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

// The range containing c in a table of sorted, disjoint ranges, if any.
template <typename Range, std::size_t N> const Range* findRange(const Range (&table)[N], char32_t c) {
    const auto* it = std::lower_bound(std::begin(table), std::end(table), c,
                                      [](const Range& r, char32_t v) { return r.last < v; });
    return it != std::end(table) && it->first <= c ? it : nullptr;
}

std::uint8_t combiningClass(char32_t c) {
    if (c < 0x300) {
        return 0;
    }
    const auto* range = findRange(kCombiningClasses, c);
    return range ? range->combiningClass : 0;
}

void appendDecomposition(char32_t c, std::vector<char32_t>& out) {
    if (isSyllable(c)) {
        const char32_t index = c - kSyllableBase;
        out.push_back(kLeadingBase + index / (kVowelCount * kTrailingCount));
        out.push_back(kVowelBase + (index % (kVowelCount * kTrailingCount)) / kTrailingCount);
        if (index % kTrailingCount != 0) {
            out.push_back(kTrailingBase + index % kTrailingCount);
        }
        return;
    }
    if (c >= 0xC0) {
        const auto* it = std::lower_bound(std::begin(kDecompositions), std::end(kDecompositions), c,
                                          [](const Decomposition& d, char32_t v) { return d.codePoint < v; });
        if (it != std::end(kDecompositions) && it->codePoint == c) {
            const char32_t* begin = kDecompositionPool + it->poolOffset;
            out.insert(out.end(), begin, begin + it->length);
            return;
        }
    }
    out.push_back(c);
}

std::optional<char32_t> compose(char32_t first, char32_t second) {
    if (first >= kLeadingBase && first < kLeadingBase + kLeadingCount && second >= kVowelBase &&
        second < kVowelBase + kVowelCount) {
        return kSyllableBase +
               ((first - kLeadingBase) * kVowelCount + (second - kVowelBase)) * kTrailingCount;
    }
    if (isSyllable(first) && (first - kSyllableBase) % kTrailingCount == 0 && second > kTrailingBase &&
        second < kTrailingBase + kTrailingCount) {
        return first + (second - kTrailingBase);
    }
    const auto* it =
        std::lower_bound(std::begin(kCompositions), std::end(kCompositions), Composition{first, second, 0},
                         [](const Composition& a, const Composition& b) {
                             return a.first != b.first ? a.first < b.first : a.second < b.second;
                         });
    if (it != std::end(kCompositions) && it->first == first && it->second == second) {
        return it->composite;
    }
    return std::nullopt;
}

// Stable sort of every run of non-starters by combining class.
void orderCanonically(std::vector<char32_t>& units) {
    auto runStart = units.begin();
    while (runStart != units.end()) {
        runStart = std::find_if(runStart, units.end(), [](char32_t c) { return combiningClass(c) != 0; });
        const auto runEnd =
            std::find_if(runStart, units.end(), [](char32_t c) { return combiningClass(c) == 0; });
        if (runEnd - runStart > 1) {
            std::stable_sort(runStart, runEnd,
                             [](char32_t a, char32_t b) { return combiningClass(a) < combiningClass(b); });
        }
        runStart = runEnd;
    }
}

// Canonical composition in place: each character joins the last starter unless a character
// between them is a starter or has a combining class at least as high (it is "blocked").
void composeCanonically(std::vector<char32_t>& units) {
    std::size_t kept = 0;
    std::optional<std::size_t> starter;
    std::uint8_t lastClass = 0; // class of the last character kept after the starter
    for (const char32_t c : units) {
        const std::uint8_t cls = combiningClass(c);
        if (starter) {
            const bool adjacent = *starter + 1 == kept;
            if (adjacent || (lastClass != 0 && lastClass < cls)) {
                if (auto composite = compose(units[*starter], c)) {
                    units[*starter] = *composite;
                    continue;
                }
            }
        }
        if (cls == 0) {
            starter = kept;
        }
        lastClass = cls;
        units[kept++] = c;
    }
    units.resize(kept);
}

GraphemeBreak graphemeBreak(char32_t c) {
    if (c >= 0x20 && c < 0x7F) {
        return GraphemeBreak::other;
    }
    if (c >= kInvalidByteBase) {
        return GraphemeBreak::control; // stands alone, like a control character
    }
    if (isSyllable(c)) {
        return (c - kSyllableBase) % kTrailingCount == 0 ? GraphemeBreak::lv : GraphemeBreak::lvt;
    }
    const auto* range = findRange(kGraphemeBreaks, c);
    return range ? range->value : GraphemeBreak::other;
}

// Whether a cluster continues between previous and current (rules GB3 to GB13 of the
// extended grapheme cluster boundaries); the emoji and flag rules need the history flags.
bool joins(GraphemeBreak previous, GraphemeBreak current, bool afterEmojiZwj, std::size_t regionalRun) {
    using GB = GraphemeBreak;
    if (previous == GB::cr && current == GB::lf) {
        return true;
    }
    if (previous == GB::cr || previous == GB::lf || previous == GB::control || current == GB::cr ||
        current == GB::lf || current == GB::control) {
        return false;
    }
    switch (previous) {
    case GB::l:
        if (current == GB::l || current == GB::v || current == GB::lv || current == GB::lvt) {
            return true;
        }
        break;
    case GB::lv:
    case GB::v:
        if (current == GB::v || current == GB::t) {
            return true;
        }
        break;
    case GB::lvt:
    case GB::t:
        if (current == GB::t) {
            return true;
        }
        break;
    case GB::prepend:
        return true;
    default:
        break;
    }
    if (current == GB::extend || current == GB::zwj || current == GB::spacingMark) {
        return true;
    }
    if (current == GB::extendedPictographic) {
        return afterEmojiZwj;
    }
    return current == GB::regionalIndicator && regionalRun % 2 == 1;
}

} // namespace

std::string nfc(std::string_view utf8) {
    if (std::all_of(utf8.begin(), utf8.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
        return std::string(utf8);
    }
    std::vector<char32_t> units;
    units.reserve(utf8.size());
    for (std::string_view rest = utf8; !rest.empty();) {
        const Decoded d = decodeOne(rest);
        appendDecomposition(d.unit, units);
        rest.remove_prefix(d.length);
    }
    orderCanonically(units);
    composeCanonically(units);
    std::string out;
    out.reserve(utf8.size());
    for (const char32_t c : units) {
        encode(c, out);
    }
    return out;
}

std::size_t graphemeCount(std::string_view utf8) {
    using GB = GraphemeBreak;
    std::size_t count = 0;
    GB previous = GB::control;
    bool inEmojiRun = false;     // after Extended_Pictographic Extend*
    bool afterEmojiZwj = false;  // after Extended_Pictographic Extend* ZWJ
    std::size_t regionalRun = 0; // regional indicators immediately before
    for (std::string_view rest = utf8; !rest.empty();) {
        const Decoded d = decodeOne(rest);
        rest.remove_prefix(d.length);
        const GB current = graphemeBreak(d.unit);
        if (count == 0 || !joins(previous, current, afterEmojiZwj, regionalRun)) {
            ++count;
        }
        afterEmojiZwj = inEmojiRun && current == GB::zwj;
        inEmojiRun = current == GB::extendedPictographic || (inEmojiRun && current == GB::extend);
        regionalRun = current == GB::regionalIndicator ? regionalRun + 1 : 0;
        previous = current;
    }
    return count;
}

bool isValidUtf8(std::string_view text) {
    while (!text.empty()) {
        const Decoded d = decodeOne(text);
        if (d.unit >= kInvalidByteBase) {
            return false;
        }
        text.remove_prefix(d.length);
    }
    return true;
}

} // namespace stowline::UnicodeText
