#include "kit/KeyedLabel.h"

#include "settings/L10n.h"

#include <QEvent>
#include <QWidget>

namespace {

// Lives as the control's child and re-reads the key when the control hears of a new language.
class Labeller : public QObject {
public:
    Labeller(QWidget* control, const char* key) : QObject(control), control_(control), key_(key) {
        setObjectName(QStringLiteral("keyedLabel"));
        control->installEventFilter(this);
        apply();
    }
    void setKey(const char* key) {
        key_ = key;
        apply();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == control_ && event->type() == QEvent::LanguageChange) {
            apply();
        }
        return false;
    }

private:
    void apply() {
        const QString text = L10n::t(key_);
        control_->setToolTip(text);
        control_->setAccessibleName(text);
    }

    QWidget* control_;
    const char* key_;
};

} // namespace

void KeyedLabel::attach(QWidget* control, const char* key) {
    for (QObject* child : control->children()) {
        if (auto* labeller = dynamic_cast<Labeller*>(child)) {
            labeller->setKey(key);
            return;
        }
    }
    new Labeller(control, key);
}
