#pragma once
#include "stowline/FailureCause.h"

#include <optional>
#include <string>
#include <variant>

namespace stowline {

/// Why a file, or one root's copy of it, failed. Inspect `value` with std::visit or
/// std::get_if.
struct FileErrorReason {
    /// File level only: some roots held the file; every root that still needed it was
    /// rejected. `names` are the rejected roots' folder names joined with ", ".
    struct RejectedDestinations {
        std::string names;
        bool operator==(const RejectedDestinations&) const = default;
    };
    /// The copy at this destination did not match even after one re-copy.
    struct HashMismatchAfterRecopy {
        std::string destinationPath;
        bool operator==(const HashMismatchAfterRecopy&) const = default;
    };
    /// The copy itself failed: the engine's English description of why, and the facts
    /// behind it for front ends that word it in their own language.
    struct CopyFailed {
        std::string systemMessage;
        std::optional<FailureCause> cause;
        bool operator==(const CopyFailed&) const = default;
    };
    /// No destination root was left when the file came up.
    struct NoDestinationAvailable {
        bool operator==(const NoDestinationAvailable&) const = default;
    };
    /// The root was rejected for this file (or, for the file, every root was).
    struct NoDestinationForFile {
        bool operator==(const NoDestinationForFile&) const = default;
    };

    using Value = std::variant<RejectedDestinations, HashMismatchAfterRecopy, CopyFailed,
                               NoDestinationAvailable, NoDestinationForFile>;
    Value value;

    static FileErrorReason rejectedDestinations(std::string names) {
        return {RejectedDestinations{std::move(names)}};
    }
    static FileErrorReason hashMismatchAfterRecopy(std::string path) {
        return {HashMismatchAfterRecopy{std::move(path)}};
    }
    static FileErrorReason copyFailed(std::string message, std::optional<FailureCause> cause = std::nullopt) {
        return {CopyFailed{std::move(message), std::move(cause)}};
    }
    static FileErrorReason noDestinationAvailable() { return {NoDestinationAvailable{}}; }
    static FileErrorReason noDestinationForFile() { return {NoDestinationForFile{}}; }

    template <class T> [[nodiscard]] bool is() const { return std::holds_alternative<T>(value); }
    template <class T> [[nodiscard]] const T* get() const { return std::get_if<T>(&value); }

    bool operator==(const FileErrorReason&) const = default;
};

} // namespace stowline
