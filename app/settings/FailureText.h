#pragma once
#include "stowline/FailureCause.h"

#include <QString>

/// Failures the engine records as facts (a step, an errno, a path), worded in the active
/// language. Main thread.
namespace FailureText {

/// The system's reason for `errorNumber`: the catalog's words for the common errors, the
/// system's own text for the others, and a plain "no reason" for 0.
[[nodiscard]] QString systemReason(int errorNumber);

/// What failed and why, e.g. "cannot write /D1/card/a.mov: permission denied". Names are
/// given as they are; a caller that lays them out line by line escapes them.
[[nodiscard]] QString cause(const stowline::FailureCause& cause);

} // namespace FailureText
