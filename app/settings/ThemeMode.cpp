#include "settings/ThemeMode.h"

#include "settings/StoredFlag.h"

namespace ThemeMode {
namespace {

StoredFlag light{"appearanceIsLight", false};

} // namespace

bool isLight() {
    return light.get();
}

void setLight(bool on) {
    light.set(on);
}

} // namespace ThemeMode
