#include "settings/L10n.h"

#include "settings/Localization.h"

#include <QLocale>
#include <QTranslator>

#include <algorithm>
#include <limits>

namespace L10n {
namespace {

QLocale activeLocale() {
    return QLocale(Localization::localeName());
}

// The catalog text, or an empty text when the key is missing (or no catalog is loaded).
QString lookup(const char* key, int count = -1) {
    const QTranslator* catalog = Localization::catalog();
    if (catalog == nullptr) {
        return {};
    }
    return catalog->translate(Localization::catalogContext, key, nullptr, count);
}

// Replaces %1 … %N in one left-to-right pass, so that an argument's own "%2" stays as it
// is. A placeholder without an argument, and any other "%", is left in place.
QString substitute(const QString& text, std::initializer_list<QString> arguments) {
    const auto* args = arguments.begin();
    const qsizetype count = static_cast<qsizetype>(arguments.size());
    QString result;
    result.reserve(text.size());
    qsizetype i = 0;
    while (i < text.size()) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('%') && i + 1 < text.size() && text.at(i + 1).isDigit()) {
            qsizetype end = i + 1;
            int index = 0;
            // Two digits at most: no catalog text takes more than 99 arguments.
            while (end < text.size() && end < i + 3 && text.at(end).isDigit()) {
                index = index * 10 + text.at(end).digitValue();
                ++end;
            }
            if (index >= 1 && index <= count) {
                result += args[index - 1];
                i = end;
                continue;
            }
        }
        result += c;
        ++i;
    }
    return result;
}

} // namespace

QString t(const char* key) {
    const QString text = lookup(key);
    return text.isEmpty() ? QString::fromUtf8(key) : text;
}

QString t(const char* key, std::initializer_list<QString> arguments) {
    const QString text = t(key);
    return arguments.size() == 0 ? text : substitute(text, arguments);
}

QString plural(const char* key, qint64 count) {
    // The catalog picks the variant from an int; beyond its range only "many" matters.
    int variant = static_cast<int>(
        std::clamp<qint64>(count, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
    // Portuguese counts zero with the singular by the plural rules, but "0 arquivo" reads as a
    // mistake in a report; Brazilian usage is "0 arquivos".
    if (variant == 0 && Localization::current() == stowline::SupportedLanguage::ptBR) {
        variant = 2;
    }
    QString text = lookup(key, variant);
    if (text.isEmpty()) {
        return QString::fromUtf8(key);
    }
    const QString formatted = number(count);
    text.replace(QStringLiteral("%Ln"), formatted);
    text.replace(QStringLiteral("%n"), formatted);
    return text;
}

QString number(qint64 value) {
    return activeLocale().toString(value);
}

QString number(double value, int decimals) {
    if (decimals < 0) {
        return activeLocale().toString(value, 'g', QLocale::FloatingPointShortest);
    }
    return activeLocale().toString(value, 'f', decimals);
}

QString detail::unsignedNumber(quint64 value) {
    return activeLocale().toString(value);
}

} // namespace L10n
