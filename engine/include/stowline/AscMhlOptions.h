#pragma once
#include "stowline/AscMhlManifest.h"
#include "stowline/HashFormat.h"

namespace stowline {

/// How a job records ASC MHL histories, when it writes them.
struct AscMhlOptions {
    /// The formats every file is recorded in: xxh64 always (the job's own proof), and
    /// xxh128, md5 or sha1 as chosen, each computed in the same single read.
    HashFormats formats{HashFormat::xxh64};
    AscMhlCreator creator; ///< who writes the manifests
};

} // namespace stowline
