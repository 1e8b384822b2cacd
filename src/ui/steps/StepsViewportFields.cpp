#include "StepsViewportFields.h"

#include "StepsConfigurationForm.h"
#include "StepsConfigurationRules.h"
#include "StepsEditorText.h"
#include "StepsFieldWrapper.h"
#include "StepsOpenPageSettings.h"
#include "TextStyles.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace tavlen::ui {
namespace {

constexpr int fieldWidth = 80;

} // namespace

StepsViewportFields::StepsViewportFields(StepsOpenPageSettings& settings,
                                         const StepsFieldEnvironment& environment,
                                         QWidget* parent)
    : QWidget(parent)
    , m_settings(settings)
    , m_environment(environment)
    , m_width(makeBoundLineEdit(settings,
                                &StepsOpenPageSettings::viewportWidthText,
                                &StepsOpenPageSettings::setViewportWidthText,
                                &StepsOpenPageSettings::viewportWidthTextChanged,
                                text::viewportWidthLabel(),
                                text::viewportWidthAccessibleName(),
                                fieldWidth))
    , m_height(makeBoundLineEdit(settings,
                                 &StepsOpenPageSettings::viewportHeightText,
                                 &StepsOpenPageSettings::setViewportHeightText,
                                 &StepsOpenPageSettings::viewportHeightTextChanged,
                                 text::viewportHeightLabel(),
                                 text::viewportHeightAccessibleName(),
                                 fieldWidth))
    , m_scale(makeBoundLineEdit(settings,
                                &StepsOpenPageSettings::deviceScaleFactorText,
                                &StepsOpenPageSettings::setDeviceScaleFactorText,
                                &StepsOpenPageSettings::deviceScaleFactorTextChanged,
                                text::scalePlaceholder(),
                                text::deviceScaleFactorLabel(),
                                fieldWidth))
    , m_mobile(new QCheckBox(text::mobileToggle(), this))
    , m_dimensionsHint(makeFormHint(text::viewportDimensionsHint(), true, this))
    , m_scaleHint(makeFormHint(text::scaleFactorHint(), true, this))
{
    m_width->setObjectName(QStringLiteral("viewportWidth"));
    m_height->setObjectName(QStringLiteral("viewportHeight"));
    m_scale->setObjectName(QStringLiteral("deviceScaleFactor"));
    m_mobile->setObjectName(QStringLiteral("viewportMobile"));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(6);
    auto* heading = new QLabel(text::deviceViewportHeading(), this);
    QFont headingFont = textStyleFont(TextStyle::subheadline);
    headingFont.setWeight(QFont::Medium);
    heading->setFont(headingFont);
    column->addWidget(heading);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(6);

    const struct
    {
        QString label;
        QLineEdit* edit;
        StepsField::Kind kind;
        QString unit;
    } rows[]{
        {text::viewportWidthLabel(), m_width, StepsField::Kind::viewportWidth(), text::cssPixelsUnit()},
        {text::viewportHeightLabel(), m_height, StepsField::Kind::viewportHeight(), text::cssPixelsUnit()},
        {text::deviceScaleFactorLabel(), m_scale, StepsField::Kind::deviceScaleFactor(), text::scaleUnit()},
    };

    int line = 0;
    for (const auto& row : rows) {
        grid->addWidget(makeFormLabel(row.label, false, this), line, 0, Qt::AlignLeft | Qt::AlignTop);
        grid->addWidget(new StepsFieldWrapper(row.edit, row.kind, environment, this), line, 1, Qt::AlignLeft);
        grid->addWidget(makeFormLabel(row.unit, true, this), line, 2, Qt::AlignLeft | Qt::AlignTop);
        ++line;
    }
    grid->setColumnStretch(3, 1);
    column->addLayout(grid);

    m_mobile->setChecked(settings.mobile());
    m_mobile->setToolTip(text::mobileHelp());
    column->addWidget(m_mobile);
    column->addWidget(m_dimensionsHint);
    column->addWidget(m_scaleHint);
    connect(m_mobile, &QCheckBox::toggled, &settings, &StepsOpenPageSettings::setMobile);
    connect(
        &settings, &StepsOpenPageSettings::mobileChanged, this, [this] { m_mobile->setChecked(m_settings.mobile()); });

    for (auto signal : {&StepsOpenPageSettings::viewportWidthTextChanged,
                        &StepsOpenPageSettings::viewportHeightTextChanged,
                        &StepsOpenPageSettings::deviceScaleFactorTextChanged}) {
        connect(&settings, signal, this, &StepsViewportFields::refreshHints);
    }
    if (environment.validation && environment.validation->session) {
        connect(environment.validation->session.get(),
                &StepsSession::showsValidationChanged,
                this,
                &StepsViewportFields::refreshHints);
    }
    refreshHints();
}

void StepsViewportFields::refreshHints()
{
    const bool ownHints = !isShowingValidation(m_environment);
    m_dimensionsHint->setVisible(ownHints && hasViewportDimensionsIssue(m_settings));
    m_scaleHint->setVisible(ownHints && hasScaleFactorIssue(m_settings));
}

} // namespace tavlen::ui
