#pragma once
#include "stowline/DestinationFailure.h"

#include <exception>
#include <string>
#include <variant>
#include <vector>

namespace stowline {

/// Thrown by the copier, the verifier, the control's checkpoint and the engine's chunk
/// callback. Never leaves the engine thread: the run loop turns it into events.
class CopyError : public std::exception {
public:
    /// A file to read (a source, or a copy being re-read) cannot be opened or read.
    struct SourceUnreadable {
        std::string path;
        int errorNumber = 0; ///< the system's errno when it gave one; not part of equality
        bool operator==(const SourceUnreadable& other) const { return path == other.path; }
    };
    /// No destination of a copy survived.
    struct AllDestinationsFailed {
        std::vector<DestinationFailure> failures;
        bool operator==(const AllDestinationsFailed&) const = default;
    };
    /// The job was cancelled through the engine control.
    struct Cancelled {
        bool operator==(const Cancelled&) const = default;
    };
    using Value = std::variant<SourceUnreadable, AllDestinationsFailed, Cancelled>;

    explicit CopyError(Value value);

    static CopyError sourceUnreadable(std::string path, int errorNumber = 0) {
        return CopyError(SourceUnreadable{std::move(path), errorNumber});
    }
    static CopyError allDestinationsFailed(std::vector<DestinationFailure> failures) {
        return CopyError(AllDestinationsFailed{std::move(failures)});
    }
    static CopyError cancelled() { return CopyError(Cancelled{}); }

    [[nodiscard]] const Value& value() const noexcept { return value_; }
    template <class T> [[nodiscard]] bool is() const noexcept { return std::holds_alternative<T>(value_); }
    template <class T> [[nodiscard]] const T* get() const noexcept { return std::get_if<T>(&value_); }

    [[nodiscard]] const char* what() const noexcept override { return message_.c_str(); }

    bool operator==(const CopyError& other) const { return value_ == other.value_; }

private:
    Value value_;
    std::string message_;
};

} // namespace stowline
