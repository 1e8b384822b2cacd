#include "KeepAwakeSettingsSection.h"

#include "KeepAwakeSettings.h"
#include "QtText.h"
#include "SettingsLabels.h"
#include "SettingsText.h"

#include <QCheckBox>
#include <QLabel>
#include <QVBoxLayout>

namespace tavlen::ui {

KeepAwakeSettingsSection::KeepAwakeSettingsSection(KeepAwakeSettings& settings, QWidget* parent)
    : QGroupBox(settings_text::sleepHeader, parent)
    , m_settings(settings)
    , m_toggle(new QCheckBox(settings_text::keepAwake))
    , m_error(makeSettingsLabel(QStringLiteral("keep-awake-error"), SettingsLabelKind::error))
{
    setObjectName(QStringLiteral("settings-sleep"));
    m_toggle->setObjectName(QStringLiteral("keep-awake-toggle"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_toggle);
    layout->addWidget(
        makeSettingsLabel({}, SettingsLabelKind::secondary, TextStyle::caption, settings_text::keepAwakeNote));
    layout->addWidget(m_error);
    connect(m_toggle, &QCheckBox::clicked, this, [this](bool on) {
        m_settings.setEnabled(on);
        refresh();
    });
    connect(&m_settings, &KeepAwakeSettings::isEnabledChanged, this, &KeepAwakeSettingsSection::refresh);
    connect(&m_settings, &KeepAwakeSettings::errorChanged, this, &KeepAwakeSettingsSection::refresh);
    refresh();
}

void KeepAwakeSettingsSection::refresh()
{
    m_toggle->setChecked(m_settings.isEnabled());
    const auto& error = m_settings.error();
    showOptionalText(m_error, error ? std::optional(toQString(*error)) : std::nullopt);
}

} // namespace tavlen::ui
