#include "Accessibility.h"

#include "QtText.h"

#include <QWidget>

namespace tavlen::ui {

void setIdentifier(QWidget* widget, const QString& identifier)
{
    widget->setObjectName(identifier);
}

QString itemIdentifier(const QString& prefix, const Uuid& id)
{
    return prefix + toQString(id.uppercaseString());
}

void setAccessibility(QWidget* widget, const QString& label, const QString& hint)
{
    widget->setAccessibleName(label);
    if (!hint.isEmpty()) {
        widget->setAccessibleDescription(hint);
    }
}

void setHelp(QWidget* widget, const QString& help, const QString& label)
{
    widget->setToolTip(help);
    widget->setAccessibleName(label.isEmpty() ? help : label);
}

} // namespace tavlen::ui
