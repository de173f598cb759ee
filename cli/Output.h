#pragma once
#include <string_view>

/// The command's standard streams as a Unix tool needs them: present from the start, and
/// never a reason to stop a job once a reader has gone.
namespace cli::Output {

/// Opens /dev/null into any of descriptors 0-2 that is not open, so that no descriptor the
/// command opens later (a signal pipe, a copy) is taken for a standard stream. Call first
/// thing in main().
void openStandardDescriptors();

/// Ignores SIGPIPE, so that a reader that went away is an error to handle rather than the
/// end of the process: for commands whose work must outlive their output.
void keepRunningWithoutReader();

/// Writes `text` to standard output (or error) and flushes. Once a write fails (the reader
/// went away, the terminal closed), later output to that stream goes to /dev/null: the
/// command carries on without printing. Main thread only.
void out(std::string_view text);
void err(std::string_view text);

/// Standard output could not be written at some point.
[[nodiscard]] bool outputLost();

} // namespace cli::Output
