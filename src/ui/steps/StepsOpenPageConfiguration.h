#pragma once

#include "StepsFieldEnvironment.h"

#include <QWidget>

class QLabel;
class QLineEdit;

namespace tavlen {
class StepsOpenPageSettings;
}

namespace tavlen::ui {

class StepsDelayStepper;
class StepsViewportFields;

// The configuration of an Open page step: the screenshot delay (a text field and a stepper, 0 to 60 seconds)
// with its hint, and the device viewport below it.
class StepsOpenPageConfiguration : public QWidget
{
    Q_OBJECT

public:
    // The settings must outlive the form.
    StepsOpenPageConfiguration(StepsOpenPageSettings& settings,
                               const StepsFieldEnvironment& environment,
                               QWidget* parent = nullptr);

    QLineEdit* delayEdit() const { return m_delay; }

    StepsDelayStepper* stepper() const { return m_stepper; }

    // The explanation or the red hint; hidden while the field's own message shows.
    QLabel* delayHintLabel() const { return m_hint; }

    StepsViewportFields* viewport() const { return m_viewport; }

private:
    void refreshHint();

    StepsOpenPageSettings& m_settings;
    StepsFieldEnvironment m_environment;
    QLineEdit* m_delay;
    StepsDelayStepper* m_stepper;
    QLabel* m_hint;
    StepsViewportFields* m_viewport;
};

} // namespace tavlen::ui
