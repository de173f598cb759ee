#pragma once
#include <functional>
#include <string_view>

namespace stowline {

/// Receives a document piece by piece, in order: a long report goes to its file as it is
/// made instead of being held whole in memory first.
using TextSink = std::function<void(std::string_view)>;

} // namespace stowline
