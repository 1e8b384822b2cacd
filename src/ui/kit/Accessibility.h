#pragma once

#include "Uuid.h"

#include <QString>

class QWidget;

namespace tavlen::ui {

// The identifier tests and accessibility tools find a widget by: its objectName.
void setIdentifier(QWidget* widget, const QString& identifier);
// A per-item identifier: a fixed prefix followed by the item's UUID in upper-case text ("steps-config-" + id).
QString itemIdentifier(const QString& prefix, const Uuid& id);
// The label (accessible name) and, when not empty, the hint (accessible description).
void setAccessibility(QWidget* widget, const QString& label, const QString& hint = {});
// The label, and a tooltip that says the same or more.
void setHelp(QWidget* widget, const QString& help, const QString& label = {});

} // namespace tavlen::ui
