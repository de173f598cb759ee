#include "settings/UpdateSettings.h"

#include "settings/StoredFlag.h"

namespace UpdateSettings {
namespace {

StoredFlag automatic{"updateChecksAutomatically", true};

} // namespace

bool checksAutomatically() {
    return automatic.get();
}

void setChecksAutomatically(bool on) {
    automatic.set(on);
}

} // namespace UpdateSettings
