#include "stowline/CopyFailureReason.h"
#include "stowline/FileOutcome.h"
#include "stowline/FilePhase.h"

#include <array>
#include <utility>

namespace stowline {
namespace {

template <class E, std::size_t N>
std::optional<E> fromText(const std::array<std::pair<E, std::string_view>, N>& table, std::string_view text) {
    for (const auto& [member, value] : table) {
        if (value == text) {
            return member;
        }
    }
    return std::nullopt;
}

template <class E, std::size_t N>
std::string_view toTextIn(const std::array<std::pair<E, std::string_view>, N>& table, E member) {
    for (const auto& [m, value] : table) {
        if (m == member) {
            return value;
        }
    }
    return {};
}

constexpr std::array<std::pair<FilePhase, std::string_view>, 2> phases{{
    {FilePhase::copying, "copying"},
    {FilePhase::verifying, "verifying"},
}};

constexpr std::array<std::pair<FileOutcome, std::string_view>, 3> outcomes{{
    {FileOutcome::verified, "verified"},
    {FileOutcome::skipped, "skipped"},
    {FileOutcome::failed, "failed"},
}};

constexpr std::array<std::pair<CopyFailureReason, std::string_view>, 5> failureReasons{{
    {CopyFailureReason::destinationDisconnected, "destinationDisconnected"},
    {CopyFailureReason::cancelledOutOfSpace, "cancelledOutOfSpace"},
    {CopyFailureReason::destinationUnreachable, "destinationUnreachable"},
    {CopyFailureReason::destinationOutOfSpace, "destinationOutOfSpace"},
    {CopyFailureReason::destinationWriteFailed, "destinationWriteFailed"},
}};

} // namespace

std::string_view toText(FilePhase phase) {
    return toTextIn(phases, phase);
}
std::optional<FilePhase> filePhaseFromText(std::string_view text) {
    return fromText(phases, text);
}

std::string_view toText(FileOutcome outcome) {
    return toTextIn(outcomes, outcome);
}
std::optional<FileOutcome> fileOutcomeFromText(std::string_view text) {
    return fromText(outcomes, text);
}

std::string_view toText(CopyFailureReason reason) {
    return toTextIn(failureReasons, reason);
}
std::optional<CopyFailureReason> copyFailureReasonFromText(std::string_view text) {
    return fromText(failureReasons, text);
}

} // namespace stowline
