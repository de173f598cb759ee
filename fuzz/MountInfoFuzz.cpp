// libFuzzer entry for the mount table reader: /proc/self/mountinfo holds paths any user can
// choose (a mount point named with spaces, backslashes or bytes that are not UTF-8), so any
// text must be read without a crash or a hang.
// Built by scripts/fuzz.
#include "platform/MountInfo.h"

#include <QByteArray>
#include <QByteArrayView>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto text =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    for (const auto& entry : MountInfo::parse(text)) {
        (void)MountInfo::isUserVisible(entry);
    }
    const auto volumes = MountInfo::volumes(text, {}, QStringLiteral("Machine"));
    for (const auto& volume : volumes) {
        (void)volume;
    }
    (void)MountInfo::rootLabel(text, {});
    (void)MountInfo::decodeOctal(QByteArrayView(text));
    (void)MountInfo::decodeHex(QByteArrayView(text));
    return 0;
}
