#include "stowline/CopyError.h"

namespace stowline {
namespace {

std::string describe(const CopyError::Value& value) {
    struct Visitor {
        std::string operator()(const CopyError::SourceUnreadable& e) const { return "cannot read " + e.path; }
        std::string operator()(const CopyError::AllDestinationsFailed& e) const {
            std::string text = "every destination failed";
            if (!e.failures.empty()) {
                text += ": " + e.failures.front().systemMessage;
            }
            return text;
        }
        std::string operator()(const CopyError::Cancelled&) const { return "cancelled"; }
    };
    return std::visit(Visitor{}, value);
}

} // namespace

CopyError::CopyError(Value value) : value_(std::move(value)), message_(describe(value_)) {}

} // namespace stowline
