#include "settings/StoredFlag.h"

#include "settings/Preferences.h"

bool StoredFlag::get() {
    if (!read_) {
        value_ = Preferences::readBool(QString::fromLatin1(key_), fallback_);
        read_ = true;
    }
    return value_;
}

void StoredFlag::set(bool on) {
    value_ = on;
    read_ = true;
    Preferences::writeBool(QString::fromLatin1(key_), on);
}
