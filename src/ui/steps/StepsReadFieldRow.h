#pragma once

// moc cannot parse the C++20 standard headers that these pull in; it needs none of them.
#ifndef Q_MOC_RUN
#include "ReadingField.h"
#include "StepsFieldEnvironment.h"
#endif

#include <QWidget>

class QComboBox;
class QFrame;
class QLineEdit;

namespace tavlen::ui {

class StepsFieldWrapper;
class StepsInstructionField;
class TavlenButton;

// One field of a Read step: its name and type on a line, its reading instructions below, and a remove button
// beside them; a divider above unless it is the first row. It edits a copy and reports each edit as the whole
// field; the list decides what happens to it.
class StepsReadFieldRow : public QWidget
{
    Q_OBJECT

public:
    StepsReadFieldRow(const ReadingField& field, const StepsFieldEnvironment& environment, QWidget* parent = nullptr);

    const Uuid& fieldID() const { return m_field.id; }

    QLineEdit* nameEdit() const { return m_name; }

    QComboBox* typePicker() const { return m_type; }

    StepsInstructionField* instructionField() const { return m_instruction; }

    TavlenButton* removeButton() const { return m_remove; }

    QFrame* divider() const { return m_divider; }

    // Shows the field as the list now holds it, without disturbing what the user is typing.
    void setField(const ReadingField& field);
    void setFirst(bool isFirst);
    void setRemovable(bool isRemovable);

Q_SIGNALS:
    void edited(const ReadingField& field);
    void removeRequested(const Uuid& fieldID);

private:
    ReadingField m_field;
    QFrame* m_divider;
    QLineEdit* m_name;
    QComboBox* m_type;
    StepsInstructionField* m_instruction;
    TavlenButton* m_remove;
};

} // namespace tavlen::ui
