#pragma once
#include <QObject>

class QWidget;

/// The tooltip and accessible name of a control that shows no text of its own (an icon
/// button), from a catalog key, renewed on every change of language. Main thread.
namespace KeyedLabel {

/// Gives `control` the text of `key` as tooltip and accessible name, now and after each
/// language change; a later call replaces the key.
void attach(QWidget* control, const char* key);

} // namespace KeyedLabel
