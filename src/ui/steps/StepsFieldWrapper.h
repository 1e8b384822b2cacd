#pragma once

#include "StepsFieldEnvironment.h"

#include <QWidget>

#include <optional>

class QLabel;

namespace tavlen::ui {

// Wraps every input of a step: the control takes part in the context's focus under its field (the step's id and
// the kind), and while the session shows validation the message of the first issue for that field shows under
// it in the caption font and red, wrapping, 3 points below. Without a step, a context or a kind the control is
// shown plainly. The message follows each edit of the step and each change of showsValidation.
class StepsFieldWrapper : public QWidget
{
    Q_OBJECT

public:
    // Takes ownership of the control.
    StepsFieldWrapper(QWidget* control,
                      std::optional<StepsField::Kind> kind,
                      const StepsFieldEnvironment& environment,
                      QWidget* parent = nullptr);

    QWidget* control() const { return m_control; }

    // The field the control stands for; none when it is shown plainly.
    const std::optional<StepsField>& field() const { return m_field; }

    // The message shown, or an empty text.
    QString message() const;

    // The label that shows the message (hidden while there is none).
    QLabel* messageLabel() const { return m_message; }

protected:
    void changeEvent(QEvent* event) override;

private:
    void refresh();
    void applyColors();

    QWidget* m_control;
    std::optional<StepsField> m_field;
    StepsFieldEnvironment m_environment;
    QLabel* m_message;
};

} // namespace tavlen::ui
