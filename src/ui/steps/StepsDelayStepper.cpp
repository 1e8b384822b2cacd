#include "StepsDelayStepper.h"

#include "StepsConfigurationRules.h"
#include "StepsEditorText.h"
#include "StepsOpenPageSettings.h"

#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionSpinBox>

namespace tavlen::ui {

StepsDelayStepper::StepsDelayStepper(StepsOpenPageSettings& settings, QWidget* parent)
    : QAbstractSpinBox(parent)
    , m_settings(settings)
{
    setObjectName(QStringLiteral("screenshotDelayStepper"));
    setAccessibleName(text::screenshotDelayAccessibleName());
    // Only the arrows: the text field beside it shows and edits the delay.
    lineEdit()->setReadOnly(true);
    lineEdit()->hide();
    setFrame(false);
    setButtonSymbols(QAbstractSpinBox::UpDownArrows);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    connect(&m_settings, &StepsOpenPageSettings::screenshotDelayTextChanged, this, [this] { update(); });
}

void StepsDelayStepper::stepBy(int steps)
{
    m_settings.setScreenshotDelay(steppedDelay(m_settings.screenshotDelayText(), steps));
}

QAbstractSpinBox::StepEnabled StepsDelayStepper::stepEnabled() const
{
    if (!isEnabled()) {
        return StepNone;
    }
    const DelayStepping stepping = delayStepping(m_settings.screenshotDelayText());
    StepEnabled enabled = StepNone;
    if (stepping.up) {
        enabled |= StepUpEnabled;
    }
    if (stepping.down) {
        enabled |= StepDownEnabled;
    }
    return enabled;
}

QSize StepsDelayStepper::sizeHint() const
{
    // The arrow column of a spin box of the current style, at a line edit's height.
    QStyleOptionSpinBox option;
    initStyleOption(&option);
    const QSize full = QAbstractSpinBox::sizeHint();
    option.rect = QRect(QPoint(0, 0), full);
    const QRect arrows = style()->subControlRect(QStyle::CC_SpinBox, &option, QStyle::SC_SpinBoxUp, this);
    return QSize(arrows.width() + 2, full.height());
}

QSize StepsDelayStepper::minimumSizeHint() const
{
    return sizeHint();
}

} // namespace tavlen::ui
