#include "settings/AppInfo.h"

namespace AppInfo {

QString version() {
#ifdef STOWLINE_APP_VERSION
    static const QString value = QStringLiteral(STOWLINE_APP_VERSION).isEmpty()
                                     ? QStringLiteral("0.0.0-dev")
                                     : QStringLiteral(STOWLINE_APP_VERSION);
#else
    static const QString value = QStringLiteral("0.0.0-dev");
#endif
    return value;
}

} // namespace AppInfo
