#include "LoginItemSettingsSection.h"

#include "LoginItemSectionState.h"
#include "LoginItemSettings.h"
#include "QtText.h"
#include "SettingsLabels.h"
#include "SettingsText.h"
#include "TavlenButton.h"

#include <QCheckBox>
#include <QLabel>
#include <QVBoxLayout>

namespace tavlen::ui {

LoginItemSettingsSection::LoginItemSettingsSection(LoginItemSettings& settings, QWidget* parent)
    : QGroupBox(settings_text::startupHeader, parent)
    , m_settings(settings)
    , m_toggle(new QCheckBox(settings_text::startAtLogin))
    , m_statusNote(makeSettingsLabel(QStringLiteral("login-item-note"), SettingsLabelKind::secondary))
    , m_openSettings(new TavlenButton(settings_text::openLoginItems,
                                      {TavlenButtonStyle::Variant::standard, TavlenButtonStyle::Size::regular}))
    , m_error(makeSettingsLabel(QStringLiteral("login-item-error"), SettingsLabelKind::error))
{
    setObjectName(QStringLiteral("settings-startup"));
    m_toggle->setObjectName(QStringLiteral("login-item-toggle"));
    m_openSettings->setObjectName(QStringLiteral("login-item-open-settings"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_toggle);
    layout->addWidget(
        makeSettingsLabel({}, SettingsLabelKind::secondary, TextStyle::caption, settings_text::startAtLoginNote));
    layout->addWidget(m_statusNote);
    layout->addWidget(m_openSettings, 0, Qt::AlignLeft);
    layout->addWidget(m_error);
    connect(m_toggle, &QCheckBox::clicked, this, [this](bool on) {
        m_settings.setEnabled(on);
        refresh();
    });
    connect(m_openSettings, &TavlenButton::clicked, this, [this] { m_settings.openSystemSettings(); });
    connect(&m_settings, &LoginItemSettings::statusChanged, this, &LoginItemSettingsSection::refresh);
    connect(&m_settings, &LoginItemSettings::errorChanged, this, &LoginItemSettingsSection::refresh);
    refresh();
}

void LoginItemSettingsSection::refresh()
{
    const LoginItemSectionState state = loginItemSectionState(m_settings.status());
    m_toggle->setChecked(state.toggleOn);
    showOptionalText(m_statusNote, state.note);
    m_openSettings->setVisible(state.showsOpenSettings);
    const auto& error = m_settings.error();
    showOptionalText(m_error, error ? std::optional(toQString(*error)) : std::nullopt);
}

} // namespace tavlen::ui
