#include "StepsReadConfiguration.h"

#include "ModelSettings.h"
#include "StepsConfigurationForm.h"
#include "StepsConfigurationRules.h"
#include "StepsEditorText.h"
#include "StepsFieldWrapper.h"
#include "StepsReadSettings.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace tavlen::ui {
namespace {

constexpr int pickerWidth = 340;
constexpr int timeoutWidth = 90;

} // namespace

StepsReadConfiguration::StepsReadConfiguration(StepsReadSettings& settings,
                                               ModelSettings* models,
                                               std::function<void()> manageModels,
                                               const StepsFieldEnvironment& environment,
                                               QWidget* parent)
    : QWidget(parent)
    , m_settings(settings)
    , m_models(models)
    , m_model(new QComboBox)
    , m_timeout(makeBoundLineEdit(settings,
                                  &StepsReadSettings::timeoutText,
                                  &StepsReadSettings::setTimeoutText,
                                  &StepsReadSettings::timeoutTextChanged,
                                  text::secondsPlaceholder(),
                                  text::readTimeoutAccessibleName(),
                                  timeoutWidth))
    , m_manage(new QPushButton(text::manageModels(), this))
{
    setObjectName(QStringLiteral("stepsReadConfiguration"));
    m_model->setObjectName(QStringLiteral("readModel"));
    m_model->setAccessibleName(text::readModelAccessibleName());
    m_model->setFixedWidth(pickerWidth);
    m_model->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_timeout->setObjectName(QStringLiteral("readTimeout"));
    m_manage->setObjectName(QStringLiteral("manageModels"));
    m_manage->setFlat(true);
    m_manage->setCursor(Qt::PointingHandCursor);
    QPalette linkPalette = m_manage->palette();
    linkPalette.setColor(QPalette::ButtonText, linkPalette.color(QPalette::Link));
    m_manage->setPalette(linkPalette);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(12);
    auto* modelRow = new QHBoxLayout;
    modelRow->setSpacing(12);
    modelRow->addWidget(makeFormLabel(text::aiModelLabel(), false, this), 0, Qt::AlignTop);
    modelRow->addWidget(new StepsFieldWrapper(m_model, StepsField::Kind::model(), environment, this), 0, Qt::AlignTop);
    modelRow->addStretch();
    column->addLayout(modelRow);
    auto* timeoutRow = new QHBoxLayout;
    timeoutRow->setSpacing(8);
    timeoutRow->addWidget(makeFormLabel(text::timeoutLabel(), false, this), 0, Qt::AlignTop);
    timeoutRow->addWidget(
        new StepsFieldWrapper(m_timeout, StepsField::Kind::timeout(), environment, this), 0, Qt::AlignTop);
    timeoutRow->addWidget(makeFormLabel(text::secondsUnit(), true, this), 0, Qt::AlignTop);
    timeoutRow->addStretch();
    column->addLayout(timeoutRow);
    column->addWidget(m_manage, 0, Qt::AlignLeft);

    connect(m_model, &QComboBox::activated, this, [this](int index) {
        const QVariant id = m_model->itemData(index);
        m_settings.setModelID(id.isValid() ? Uuid::parse(fromQString(id.toString())) : std::nullopt);
    });
    connect(&settings, &StepsReadSettings::modelIDChanged, this, &StepsReadConfiguration::refreshModels);
    if (m_models) {
        connect(m_models, &ModelSettings::registryChanged, this, &StepsReadConfiguration::refreshModels);
    }
    connect(m_manage, &QPushButton::clicked, this, [manageModels = std::move(manageModels)] {
        if (manageModels) {
            manageModels();
        }
    });
    refreshModels();
}

void StepsReadConfiguration::refreshModels()
{
    const ModelRegistry* registry = m_models ? &m_models->registry() : nullptr;
    const std::optional<Uuid>& selected = m_settings.modelID();
    m_model->clear();
    m_model->addItem(text::selectModelEntry());
    int current = 0;
    if (registry) {
        for (const ConfiguredModel& model : registry->models) {
            m_model->addItem(toQString(model.selection.displayName()), toQString(model.id.uppercaseString()));
            if (selected == model.id) {
                current = m_model->count() - 1;
            }
        }
    }
    // A stored id that names no configured model shows no entry of its own.
    m_model->setCurrentIndex(selected && current == 0 ? -1 : current);
    m_model->setToolTip(modelPickerTooltip(registry, selected));
}

} // namespace tavlen::ui
