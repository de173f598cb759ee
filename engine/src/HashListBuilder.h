#pragma once
#include "stowline/HashList.h"

#include <string_view>

namespace stowline::hashlist {

/// The hash list in `document`: its root must be <hashlist> and its <hash> blocks are the
/// root's children; elements it does not know are passed over. Entries go to `sink` when
/// given, else into the list. Throws HashListError for malformed XML or a value of the wrong form.
[[nodiscard]] HashList buildHashList(std::string_view document, const HashListReader::EntrySink* sink);

} // namespace stowline::hashlist
