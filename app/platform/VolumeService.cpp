#include "platform/VolumeService.h"

// The meta-object lives in this object file, so that linking the volume service does not
// pull in every other class's.
#include "moc_VolumeService.cpp"
