#pragma once

#include <QAbstractSpinBox>

namespace tavlen {
class StepsOpenPageSettings;
}

namespace tavlen::ui {

// The arrows beside the screenshot delay: each step writes the new delay back as its decimal text, within 0 to
// 60. While the text is not a valid delay the stepper has no value: a step up starts at 0, a step down at 60.
class StepsDelayStepper : public QAbstractSpinBox
{
    Q_OBJECT

public:
    // The settings must outlive the stepper.
    explicit StepsDelayStepper(StepsOpenPageSettings& settings, QWidget* parent = nullptr);

    void stepBy(int steps) override;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    StepEnabled stepEnabled() const override;

private:
    StepsOpenPageSettings& m_settings;
};

} // namespace tavlen::ui
