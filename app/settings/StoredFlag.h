#pragma once

/// A yes/no preference read from the store on first use and written through on change, so
/// that views asking it on every paint never touch the disk. Main thread.
class StoredFlag {
public:
    /// `key` must outlive the flag (a literal); `fallback` stands for an absent or unreadable value.
    constexpr StoredFlag(const char* key, bool fallback) : key_(key), fallback_(fallback) {}

    [[nodiscard]] bool get();
    /// Updates the cache and stores the value at once.
    void set(bool on);

private:
    const char* key_;
    bool fallback_;
    bool read_ = false;
    bool value_ = false;
};
