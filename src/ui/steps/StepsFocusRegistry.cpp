#include "StepsFocusRegistry.h"

#include <QEvent>
#include <QFocusEvent>

namespace tavlen::ui {

StepsFocusRegistry::StepsFocusRegistry(QObject* parent)
    : QObject(parent)
{}

QWidget* StepsFocusRegistry::control(const StepsField& field) const
{
    const auto found = m_controls.find(field);
    return found == m_controls.end() ? nullptr : found->second.data();
}

void StepsFocusRegistry::registerControl(const StepsField& field, QWidget* control)
{
    if (QWidget* previous = this->control(field); previous && previous != control) {
        previous->removeEventFilter(this);
    }
    unregisterControl(control);
    m_controls[field] = control;
    control->installEventFilter(this);
    connect(control, &QObject::destroyed, this, [this, control] {
        for (auto entry = m_controls.begin(); entry != m_controls.end();) {
            entry = entry->second.isNull() || entry->second.data() == control ? m_controls.erase(entry) : ++entry;
        }
    });
    if (m_focusedField == field) {
        control->setFocus(Qt::OtherFocusReason);
    }
}

void StepsFocusRegistry::unregisterControl(QWidget* control)
{
    for (auto entry = m_controls.begin(); entry != m_controls.end();) {
        if (entry->second.data() == control) {
            control->removeEventFilter(this);
            disconnect(control, &QObject::destroyed, this, nullptr);
            entry = m_controls.erase(entry);
        } else {
            ++entry;
        }
    }
}

void StepsFocusRegistry::setFocusedField(std::optional<StepsField> field)
{
    if (field) {
        if (QWidget* target = control(*field)) {
            target->setFocus(Qt::OtherFocusReason);
        }
    } else if (m_focusedField) {
        if (QWidget* current = control(*m_focusedField); current && current->hasFocus()) {
            current->clearFocus();
        }
    }
    storeFocusedField(std::move(field));
}

bool StepsFocusRegistry::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusIn) {
        storeFocusedField(fieldOf(watched));
    } else if (event->type() == QEvent::FocusOut) {
        // A window or popup taking the keyboard for a while leaves the focus where it was. Focus moving to
        // another registered control names that one in its own FocusIn.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        const bool staysInPlace = reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason;
        if (!staysInPlace && m_focusedField && fieldOf(watched) == m_focusedField) {
            storeFocusedField(std::nullopt);
        }
    }
    return QObject::eventFilter(watched, event);
}

void StepsFocusRegistry::storeFocusedField(std::optional<StepsField> field)
{
    if (m_focusedField != field) {
        m_focusedField = std::move(field);
        Q_EMIT focusedFieldChanged();
    }
}

std::optional<StepsField> StepsFocusRegistry::fieldOf(const QObject* control) const
{
    for (const auto& [field, widget] : m_controls) {
        if (widget.data() == control) {
            return field;
        }
    }
    return std::nullopt;
}

} // namespace tavlen::ui
