#include "platform/MountInfo.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

#include <sys/sysmacros.h>

namespace MountInfo {
namespace {

bool isOctalDigit(char c) {
    return c >= '0' && c <= '7';
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

QString trimmed(const QString& text) {
    return text.trimmed();
}

QString lastComponent(const QString& path) {
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? path : path.mid(slash + 1);
}

bool isAtOrUnder(const QString& path, const QString& folder) {
    return path == folder || path.startsWith(folder + QLatin1Char('/'));
}

// A device path as the by-label symlinks resolve it ("/dev/mapper/x" → "/dev/dm-0").
QString canonicalDevice(const QString& source) {
    if (!source.startsWith(QLatin1Char('/'))) {
        return source;
    }
    const QString canonical = QFileInfo(source).canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(source) : canonical;
}

} // namespace

QString decodeOctal(QByteArrayView field) {
    QByteArray bytes;
    bytes.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        const char c = field[i];
        if (c == '\\' && i + 3 < field.size() && isOctalDigit(field[i + 1]) && isOctalDigit(field[i + 2]) &&
            isOctalDigit(field[i + 3])) {
            const int value = (field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0');
            bytes.append(static_cast<char>(value & 0xff));
            i += 3;
        } else {
            bytes.append(c);
        }
    }
    return QString::fromUtf8(bytes);
}

QString decodeHex(QByteArrayView name) {
    QByteArray bytes;
    bytes.reserve(name.size());
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char c = name[i];
        if (c == '\\' && i + 3 < name.size() && name[i + 1] == 'x' && hexValue(name[i + 2]) >= 0 &&
            hexValue(name[i + 3]) >= 0) {
            bytes.append(static_cast<char>(hexValue(name[i + 2]) * 16 + hexValue(name[i + 3])));
            i += 3;
        } else {
            bytes.append(c);
        }
    }
    return QString::fromUtf8(bytes);
}

QList<Entry> parse(const QByteArray& text) {
    QList<Entry> entries;
    for (const QByteArray& line : text.split('\n')) {
        // id parent major:minor root mountpoint options [optional…] - fstype source superoptions
        const QList<QByteArray> fields = line.simplified().split(' ');
        const qsizetype separator = fields.indexOf(QByteArray("-"), 6);
        if (separator < 0 || fields.size() < separator + 3) {
            continue;
        }
        Entry entry;
        entry.root = decodeOctal(fields[3]);
        entry.mountPoint = decodeOctal(fields[4]);
        entry.fsType = decodeOctal(fields[separator + 1]);
        entry.source = decodeOctal(fields[separator + 2]);
        const QList<QByteArray> numbers = fields[2].split(':');
        if (numbers.size() == 2) {
            bool majorOk = false;
            bool minorOk = false;
            const uint major = numbers[0].toUInt(&majorOk);
            const uint minor = numbers[1].toUInt(&minorOk);
            if (majorOk && minorOk) {
                entry.device = makedev(major, minor);
            }
        }
        if (!entry.mountPoint.startsWith(QLatin1Char('/'))) {
            continue;
        }
        entries.append(entry);
    }
    return entries;
}

bool isPseudoFileSystem(const QString& fsType) {
    static const QSet<QString> pseudo = {
        QStringLiteral("autofs"),    QStringLiteral("binfmt_misc"), QStringLiteral("bpf"),
        QStringLiteral("cgroup"),    QStringLiteral("cgroup2"),     QStringLiteral("configfs"),
        QStringLiteral("debugfs"),   QStringLiteral("devpts"),      QStringLiteral("devtmpfs"),
        QStringLiteral("efivarfs"),  QStringLiteral("fusectl"),     QStringLiteral("hugetlbfs"),
        QStringLiteral("mqueue"),    QStringLiteral("nsfs"),        QStringLiteral("proc"),
        QStringLiteral("pstore"),    QStringLiteral("rpc_pipefs"),  QStringLiteral("securityfs"),
        QStringLiteral("selinuxfs"), QStringLiteral("sysfs"),       QStringLiteral("tracefs"),
    };
    return pseudo.contains(fsType);
}

bool isUserVisible(const Entry& entry) {
    if (entry.mountPoint == QLatin1String("/")) {
        return true;
    }
    if (isPseudoFileSystem(entry.fsType)) {
        return false;
    }
    static const QStringList places = {QStringLiteral("/media"), QStringLiteral("/run/media"),
                                       QStringLiteral("/mnt")};
    bool inPlace = false;
    for (const QString& place : places) {
        inPlace = inPlace || isAtOrUnder(entry.mountPoint, place);
    }
    if (!inPlace) {
        return false;
    }
    const QStringList components = entry.mountPoint.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (const QString& component : components) {
        if (component.startsWith(QLatin1Char('.'))) {
            return false;
        }
    }
    return true;
}

QHash<QString, QString> labelsByDevice(const QString& byLabelFolder) {
    QHash<QString, QString> labels;
    const QDir folder(byLabelFolder);
    const QFileInfoList links = folder.entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot);
    for (const QFileInfo& link : links) {
        if (!link.isSymLink()) {
            continue;
        }
        const QString device = link.canonicalFilePath();
        const QString label = trimmed(decodeHex(link.fileName().toUtf8()));
        if (!device.isEmpty() && !label.isEmpty()) {
            labels.insert(device, label);
        }
    }
    return labels;
}

QList<MountedVolume> volumes(const QByteArray& mountInfoText, const QHash<QString, QString>& labels,
                             const QString& rootFallbackName) {
    QList<MountedVolume> result;
    for (const Entry& entry : parse(mountInfoText)) {
        if (!isUserVisible(entry)) {
            continue;
        }
        MountedVolume volume;
        volume.mountPoint = entry.mountPoint;
        volume.device = entry.device;
        volume.name = labels.value(canonicalDevice(entry.source));
        if (volume.name.isEmpty()) {
            volume.name = entry.mountPoint == QLatin1String("/") ? rootFallbackName
                                                                 : trimmed(lastComponent(entry.mountPoint));
        }
        // A later line for the same place is mounted on top of the earlier one and hides it.
        result.removeIf([&](const MountedVolume& other) { return other.mountPoint == volume.mountPoint; });
        result.append(volume);
    }
    return result;
}

QList<Mount> mounts(const QByteArray& mountInfoText) {
    QList<Mount> result;
    for (const Entry& entry : parse(mountInfoText)) {
        result.removeIf([&](const Mount& other) { return other.mountPoint == entry.mountPoint; });
        result.append(Mount{entry.mountPoint, entry.device});
    }
    return result;
}

QList<Mount> systemMounts() {
    QFile table(QStringLiteral("/proc/self/mountinfo"));
    return table.open(QIODevice::ReadOnly) ? mounts(table.readAll()) : QList<Mount>();
}

QString rootLabel(const QByteArray& mountInfoText, const QHash<QString, QString>& labels) {
    QString label;
    for (const Entry& entry : parse(mountInfoText)) {
        if (entry.mountPoint == QLatin1String("/")) {
            label = labels.value(canonicalDevice(entry.source));
        }
    }
    return label;
}

} // namespace MountInfo
