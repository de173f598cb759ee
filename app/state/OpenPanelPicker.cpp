#include "state/OpenPanelPicker.h"

#include "settings/L10n.h"

#include <QPointer>

void OpenPanelPicker::pick(OpenPanelService::Kind kind, QObject* owner,
                           std::function<void(const QList<QUrl>&)> add) {
    if (open_ || panels_ == nullptr) {
        return;
    }
    open_ = true;
    const char* message = kind == OpenPanelService::Kind::sources ? "appstate.picker.sources.message"
                                                                  : "appstate.picker.destinations.message";
    const QPointer<QObject> guard(owner);
    panels_->open(kind, L10n::t("appstate.picker.add"), L10n::t(message),
                  [this, guard, add = std::move(add)](const QList<QUrl>& chosen) {
                      if (!guard) {
                          return;
                      }
                      open_ = false;
                      add(chosen);
                  });
}
