#include "UpdateSettings.h"

#include "AppUpdater.h"
#include "QtText.h"
#include "SettingsLabels.h"
#include "SettingsText.h"
#include "TavlenButton.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace tavlen::ui {

UpdateSettings::UpdateSettings(AppUpdater& updater, QWidget* parent)
    : QGroupBox(settings_text::updatesHeader, parent)
    , m_updater(updater)
{
    setObjectName(QStringLiteral("settings-updates"));
    auto* layout = new QVBoxLayout(this);
    auto* version = new QFormLayout;
    auto* versionText = makeSettingsLabel(QStringLiteral("installed-version"),
                                          SettingsLabelKind::plain,
                                          std::nullopt,
                                          toQString(updater.configuration().version));
    version->addRow(settings_text::installedVersion, versionText);
    layout->addLayout(version);
    if (!updater.configuration().enabled) {
        layout->addWidget(makeSettingsLabel(QStringLiteral("updates-unavailable"),
                                            SettingsLabelKind::secondary,
                                            std::nullopt,
                                            settings_text::updatesUnavailable));
        return;
    }
    m_automatic = new QCheckBox(settings_text::automaticUpdates);
    m_automatic->setObjectName(QStringLiteral("automatic-updates-toggle"));
    layout->addWidget(m_automatic);
    layout->addWidget(
        makeSettingsLabel({}, SettingsLabelKind::secondary, TextStyle::caption, settings_text::automaticUpdatesNote));
    m_check = new TavlenButton(settings_text::checkForUpdates,
                               {TavlenButtonStyle::Variant::standard, TavlenButtonStyle::Size::regular});
    m_check->setObjectName(QStringLiteral("check-for-updates"));
    layout->addWidget(m_check, 0, Qt::AlignLeft);
    connect(m_automatic, &QCheckBox::clicked, this, [this](bool on) {
        m_updater.setAutomaticallyChecksForUpdates(on);
        refresh();
    });
    connect(m_check, &TavlenButton::clicked, this, [this] { m_updater.checkForUpdates(); });
    connect(&m_updater, &AppUpdater::canCheckForUpdatesChanged, this, &UpdateSettings::refresh);
    connect(&m_updater, &AppUpdater::automaticallyChecksForUpdatesChanged, this, &UpdateSettings::refresh);
    refresh();
}

void UpdateSettings::refresh()
{
    m_automatic->setChecked(m_updater.automaticallyChecksForUpdates());
    m_check->setEnabled(m_updater.canCheckForUpdates());
}

} // namespace tavlen::ui
