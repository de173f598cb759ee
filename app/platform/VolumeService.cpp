#include "platform/VolumeService.h"

QList<Mount> VolumeService::mounts() {
    QList<Mount> list;
    for (const MountedVolume& volume : mountedVolumes()) {
        list.append(Mount{volume.mountPoint, volume.device});
    }
    return list;
}

// The meta-object lives in this object file, so that linking the volume service does not
// pull in every other class's.
#include "moc_VolumeService.cpp"
