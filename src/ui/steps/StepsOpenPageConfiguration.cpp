#include "StepsOpenPageConfiguration.h"

#include "KitColors.h"
#include "StepsConfigurationForm.h"
#include "StepsConfigurationRules.h"
#include "StepsDelayStepper.h"
#include "StepsEditorText.h"
#include "StepsFieldWrapper.h"
#include "StepsOpenPageSettings.h"
#include "StepsViewportFields.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace tavlen::ui {
namespace {

constexpr int delayFieldWidth = 58;

} // namespace

StepsOpenPageConfiguration::StepsOpenPageConfiguration(StepsOpenPageSettings& settings,
                                                       const StepsFieldEnvironment& environment,
                                                       QWidget* parent)
    : QWidget(parent)
    , m_settings(settings)
    , m_environment(environment)
    , m_delay(makeBoundLineEdit(settings,
                                &StepsOpenPageSettings::screenshotDelayText,
                                &StepsOpenPageSettings::setScreenshotDelayText,
                                &StepsOpenPageSettings::screenshotDelayTextChanged,
                                text::secondsPlaceholder(),
                                text::screenshotDelayAccessibleName(),
                                delayFieldWidth))
    , m_stepper(new StepsDelayStepper(settings, this))
    , m_hint(makeFormHint(QString(), false, this))
    , m_viewport(new StepsViewportFields(settings, environment, this))
{
    setObjectName(QStringLiteral("stepsOpenPageConfiguration"));
    m_delay->setObjectName(QStringLiteral("screenshotDelay"));
    m_hint->setObjectName(QStringLiteral("screenshotDelayHint"));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(5);
    auto* delayRow = new QHBoxLayout;
    delayRow->setSpacing(8);
    delayRow->addWidget(makeFormLabel(text::screenshotDelayLabel(), false, this), 0, Qt::AlignTop);
    delayRow->addWidget(new StepsFieldWrapper(m_delay, StepsField::Kind::delay(), environment, this), 0, Qt::AlignTop);
    delayRow->addWidget(m_stepper, 0, Qt::AlignTop);
    delayRow->addWidget(makeFormLabel(text::secondsUnit(), true, this), 0, Qt::AlignTop);
    delayRow->addStretch();
    column->addLayout(delayRow);
    column->addWidget(m_hint);
    column->addSpacing(8);
    column->addWidget(m_viewport);

    connect(
        &settings, &StepsOpenPageSettings::screenshotDelayTextChanged, this, &StepsOpenPageConfiguration::refreshHint);
    if (environment.validation && environment.validation->session) {
        connect(environment.validation->session.get(),
                &StepsSession::showsValidationChanged,
                this,
                &StepsOpenPageConfiguration::refreshHint);
    }
    refreshHint();
}

void StepsOpenPageConfiguration::refreshHint()
{
    const DelayHint hint = delayHint(m_settings.screenshotDelayText(), isShowingValidation(m_environment));
    m_hint->setVisible(hint != DelayHint::none);
    m_hint->setText(hint == DelayHint::explanation ? text::screenshotDelayExplanation() : text::screenshotDelayHint());
    QPalette palette = m_hint->palette();
    palette.setColor(QPalette::WindowText,
                     hint == DelayHint::invalid ? kitColor(KitColor::red, this->palette())
                                                : secondaryColor(this->palette()));
    m_hint->setPalette(palette);
}

} // namespace tavlen::ui
