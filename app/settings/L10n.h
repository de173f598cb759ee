#pragma once
#include <QString>
#include <QtGlobal>

#include <initializer_list>
#include <string>

/// Text lookup in the active language's catalog. Keys are the dotted message ids; a key
/// the catalog lacks comes back as the key. Main thread.
namespace L10n {

/// The text for `key`, untouched ("%" stays as it is).
[[nodiscard]] QString t(const char* key);
/// The text for `key` with %1, %2 … replaced by the arguments, already formatted.
[[nodiscard]] QString t(const char* key, std::initializer_list<QString> arguments);
/// Convenience: each argument may be a QString, a C string or a number (formatted under
/// the active language's locale).
template <class... Args> [[nodiscard]] QString tf(const char* key, const Args&... args);

/// The numerus entry for `key`, with the count (formatted under the active locale)
/// substituted for %n and the variant chosen by the language's plural rules.
[[nodiscard]] QString plural(const char* key, qint64 count);

/// A number under the active language's locale ("1.234" in Portuguese, "1,234" in English).
[[nodiscard]] QString number(qint64 value);
/// A fixed number of decimals ("1,5" in Portuguese); a negative count gives the shortest
/// exact form.
[[nodiscard]] QString number(double value, int decimals);

namespace detail {
[[nodiscard]] QString unsignedNumber(quint64 value);
inline QString argText(const QString& s) {
    return s;
}
inline QString argText(const char* s) {
    return QString::fromUtf8(s);
}
inline QString argText(const std::string& s) {
    return QString::fromStdString(s);
}
inline QString argText(int v) {
    return number(static_cast<qint64>(v));
}
inline QString argText(long v) {
    return number(static_cast<qint64>(v));
}
inline QString argText(long long v) {
    return number(static_cast<qint64>(v));
}
inline QString argText(unsigned v) {
    return unsignedNumber(v);
}
inline QString argText(unsigned long v) {
    return unsignedNumber(v);
}
inline QString argText(unsigned long long v) {
    return unsignedNumber(v);
}
inline QString argText(double v) {
    return number(v, -1);
}
} // namespace detail

template <class... Args> QString tf(const char* key, const Args&... args) {
    return t(key, {detail::argText(args)...});
}

} // namespace L10n
