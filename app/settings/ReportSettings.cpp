#include "settings/ReportSettings.h"

#include "settings/StoredFlag.h"

namespace ReportSettings {
namespace {

StoredFlag mhl{"reportWritesMHL", true};
StoredFlag text{"reportWritesText", true};
StoredFlag pdf{"reportWritesPDF", false};
StoredFlag ascMhl{"reportWritesAscMhl", false};

/// The flag of an optional format of the history; null for xxh64, which is always recorded.
StoredFlag* recordsFlag(stowline::HashFormat format) {
    static StoredFlag xxh128{"ascMhlRecordsXxh128", false};
    static StoredFlag md5{"ascMhlRecordsMd5", false};
    static StoredFlag sha1{"ascMhlRecordsSha1", false};
    switch (format) {
    case stowline::HashFormat::xxh128:
        return &xxh128;
    case stowline::HashFormat::md5:
        return &md5;
    case stowline::HashFormat::sha1:
        return &sha1;
    default:
        return nullptr;
    }
}

} // namespace

bool writesMHL() {
    return mhl.get();
}
bool writesText() {
    return text.get();
}
bool writesPDF() {
    return pdf.get();
}
bool writesAscMhl() {
    return ascMhl.get();
}

void setWritesMHL(bool on) {
    mhl.set(on);
}
void setWritesText(bool on) {
    text.set(on);
}
void setWritesPDF(bool on) {
    pdf.set(on);
}
void setWritesAscMhl(bool on) {
    ascMhl.set(on);
}

stowline::HashFormats ascMhlFormats() {
    stowline::HashFormats formats{stowline::HashFormat::xxh64};
    for (const auto format : optionalAscMhlFormats) {
        if (recordsFlag(format)->get()) {
            formats.insert(format);
        }
    }
    return formats;
}

void setAscMhlRecords(stowline::HashFormat format, bool on) {
    if (StoredFlag* flag = recordsFlag(format)) {
        flag->set(on);
    }
}

} // namespace ReportSettings
