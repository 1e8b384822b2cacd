#pragma once

// moc cannot parse the C++20 standard headers that these pull in; it needs none of them.
#ifndef Q_MOC_RUN
#include "StepsField.h"
#endif

#include <QObject>
#include <QPointer>
#include <QWidget>

#include <optional>
#include <unordered_map>

namespace tavlen::ui {

// The keyboard focus of step inputs as a value: which input (StepsField) has it, or none. The controls of the
// editor (or of one configuration popover) register under their field; naming a field gives its control the
// focus, and a control taking or losing the focus names its field or none. Main thread only.
class StepsFocusRegistry : public QObject
{
    Q_OBJECT

public:
    explicit StepsFocusRegistry(QObject* parent = nullptr);

    const std::optional<StepsField>& focusedField() const { return m_focusedField; }

    // The control registered under the field, or null.
    QWidget* control(const StepsField& field) const;

    // A control registered while its field is named takes the focus at once. Registering another control under
    // the same field replaces the first; a destroyed control leaves by itself.
    void registerControl(const StepsField& field, QWidget* control);
    void unregisterControl(QWidget* control);

    // Names the field whose control is to have the focus, or none to take it from the control that has it.
    void setFocusedField(std::optional<StepsField> field);

Q_SIGNALS:
    void focusedFieldChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void storeFocusedField(std::optional<StepsField> field);
    std::optional<StepsField> fieldOf(const QObject* control) const;

    std::optional<StepsField> m_focusedField;
    std::unordered_map<StepsField, QPointer<QWidget>> m_controls;
};

} // namespace tavlen::ui
