#include "settings/ReportSettings.h"

#include "settings/Preferences.h"

namespace ReportSettings {
namespace {

const QString mhlKey = QStringLiteral("reportWritesMHL");
const QString textKey = QStringLiteral("reportWritesText");
const QString pdfKey = QStringLiteral("reportWritesPDF");
const QString ascMhlKey = QStringLiteral("reportWritesAscMhl");

QString formatKey(stowline::HashFormat format) {
    switch (format) {
    case stowline::HashFormat::xxh128:
        return QStringLiteral("ascMhlRecordsXxh128");
    case stowline::HashFormat::md5:
        return QStringLiteral("ascMhlRecordsMd5");
    case stowline::HashFormat::sha1:
        return QStringLiteral("ascMhlRecordsSha1");
    default:
        return {};
    }
}

bool& cachedMHL() {
    static bool value = Preferences::readBool(mhlKey, true);
    return value;
}

bool& cachedText() {
    static bool value = Preferences::readBool(textKey, true);
    return value;
}

bool& cachedPDF() {
    static bool value = Preferences::readBool(pdfKey, false);
    return value;
}

bool& cachedAscMhl() {
    static bool value = Preferences::readBool(ascMhlKey, false);
    return value;
}

stowline::HashFormats& cachedFormats() {
    static stowline::HashFormats value = [] {
        stowline::HashFormats formats{stowline::HashFormat::xxh64};
        for (const auto format : optionalAscMhlFormats) {
            if (Preferences::readBool(formatKey(format), false)) {
                formats.insert(format);
            }
        }
        return formats;
    }();
    return value;
}

} // namespace

bool writesMHL() {
    return cachedMHL();
}
bool writesText() {
    return cachedText();
}
bool writesPDF() {
    return cachedPDF();
}

void setWritesMHL(bool on) {
    cachedMHL() = on;
    Preferences::writeBool(mhlKey, on);
}

void setWritesText(bool on) {
    cachedText() = on;
    Preferences::writeBool(textKey, on);
}

void setWritesPDF(bool on) {
    cachedPDF() = on;
    Preferences::writeBool(pdfKey, on);
}

bool writesAscMhl() {
    return cachedAscMhl();
}

void setWritesAscMhl(bool on) {
    cachedAscMhl() = on;
    Preferences::writeBool(ascMhlKey, on);
}

stowline::HashFormats ascMhlFormats() {
    return cachedFormats();
}

void setAscMhlRecords(stowline::HashFormat format, bool on) {
    const QString key = formatKey(format);
    if (key.isEmpty()) {
        return;
    }
    if (on) {
        cachedFormats().insert(format);
    } else {
        cachedFormats().remove(format);
    }
    Preferences::writeBool(key, on);
}

} // namespace ReportSettings
