#pragma once
#include "stowline/FileReport.h"

#include <utility>
#include <vector>

namespace stowline {

/// A list of reports built on request (one root's share of a job). An element taken from
/// such a list while it is still a temporary comes out by value: a reference into it would
/// dangle at the end of the statement, and reading it would read freed memory.
class ReportList : public std::vector<FileReport> {
    using Base = std::vector<FileReport>;

public:
    using Base::Base;
    ReportList() = default;
    ReportList(Base reports) : Base(std::move(reports)) {} // NOLINT(google-explicit-constructor)

    [[nodiscard]] const FileReport& operator[](size_type i) const& { return Base::operator[](i); }
    [[nodiscard]] FileReport& operator[](size_type i) & { return Base::operator[](i); }
    [[nodiscard]] FileReport operator[](size_type i) && { return std::move(Base::operator[](i)); }
    [[nodiscard]] const FileReport& at(size_type i) const& { return Base::at(i); }
    [[nodiscard]] FileReport& at(size_type i) & { return Base::at(i); }
    [[nodiscard]] FileReport at(size_type i) && { return std::move(Base::at(i)); }
    [[nodiscard]] const FileReport& front() const& { return Base::front(); }
    [[nodiscard]] FileReport& front() & { return Base::front(); }
    [[nodiscard]] FileReport front() && { return std::move(Base::front()); }
    [[nodiscard]] const FileReport& back() const& { return Base::back(); }
    [[nodiscard]] FileReport& back() & { return Base::back(); }
    [[nodiscard]] FileReport back() && { return std::move(Base::back()); }
};

} // namespace stowline
