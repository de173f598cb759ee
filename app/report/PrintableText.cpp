#include "report/PrintableText.h"

#include "stowline/TextReport.h"

namespace PrintableText {
namespace {

bool reordersText(char16_t unit) {
    return unit == 0x061C || unit == 0x200E || unit == 0x200F || (unit >= 0x202A && unit <= 0x202E) ||
           (unit >= 0x2066 && unit <= 0x2069);
}

} // namespace

QString fromBytes(std::string_view bytes) {
    // visibleText leaves only well-formed UTF-8, so the conversion loses nothing.
    const QString visible = QString::fromStdString(stowline::TextReport::visibleText(bytes));
    QString out;
    out.reserve(visible.size());
    for (const QChar ch : visible) {
        if (reordersText(ch.unicode())) {
            out += QStringLiteral("\\u") +
                   QString::number(ch.unicode(), 16).toUpper().rightJustified(4, QLatin1Char('0'));
        } else {
            out += ch;
        }
    }
    return out;
}

} // namespace PrintableText
