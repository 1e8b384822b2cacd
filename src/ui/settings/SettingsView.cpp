#include "SettingsView.h"

#include "AIModelSettingsView.h"
#include "AddModelView.h"
#include "Icons.h"
#include "KeepAwakeSettingsSection.h"
#include "LoginItemSettings.h"
#include "LoginItemSettingsSection.h"
#include "ModelSettings.h"
#include "ProviderKeyFields.h"
#include "ProviderKeySettings.h"
#include "SettingsLabels.h"
#include "SettingsText.h"
#include "UpdateSettings.h"

#include <QLabel>
#include <QScrollArea>
#include <QSettings>
#include <QShowEvent>
#include <QTabWidget>
#include <QVBoxLayout>

namespace tavlen::ui {

namespace {

QWidget* scrolling(QWidget* form)
{
    auto* scroll = new QScrollArea;
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setWidget(form);
    return scroll;
}

} // namespace

SettingsView::SettingsView(Parts parts, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_parts(std::move(parts))
    , m_selection(readSettingsPane(m_parts.defaults))
    , m_tabs(new QTabWidget)
    , m_load(this, [&models = m_parts.models](std::stop_token stop) { return models.load(std::move(stop)); })
{
    setObjectName(settings_text::windowIdentifier);
    setWindowTitle(settings_text::windowTitle);
    m_tabs->setObjectName(settings_text::tabsIdentifier);
    m_tabs->setDocumentMode(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_tabs);
    for (const SettingsPane pane : allSettingsPanes()) {
        QWidget* content = pane == SettingsPane::general  ? makeGeneralPane()
                           : pane == SettingsPane::models ? new AIModelSettingsView(m_parts.models)
                                                          : makeKeysPane();
        m_tabs->addTab(content, kitIcon(tabSymbol(pane)), tabLabel(pane));
    }
    m_tabs->setCurrentIndex(static_cast<int>(m_selection));
    setFixedSize(settingsContentSize(m_selection));
    connect(m_tabs, &QTabWidget::currentChanged, this, [this](int index) {
        setSelection(allSettingsPanes().at(static_cast<std::size_t>(index)));
    });
    // Starts each time the window shows; hiding it stops the wait, not the load.
    m_load.restart();
}

SettingsView::~SettingsView() = default;

void SettingsView::setSelection(SettingsPane pane)
{
    writeSettingsPane(m_parts.defaults, pane);
    if (m_selection == pane) {
        return;
    }
    m_selection = pane;
    m_tabs->setCurrentIndex(static_cast<int>(pane));
    setFixedSize(settingsContentSize(pane));
}

void SettingsView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (event->spontaneous()) {
        return;
    }
    for (ProviderKeySettings* credentials : m_parts.credentials) {
        credentials->appear();
    }
    m_parts.loginItem.refresh();
}

void SettingsView::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    if (event->spontaneous()) {
        return;
    }
    for (ProviderKeySettings* credentials : m_parts.credentials) {
        credentials->disappear();
    }
    m_parts.models.discovery().disappear();
}

QWidget* SettingsView::makeGeneralPane()
{
    auto* form = new QWidget;
    form->setObjectName(QStringLiteral("settings-general"));
    auto* layout = new QVBoxLayout(form);
    layout->setContentsMargins(20, 20, 20, 20);
    layout->addWidget(new LoginItemSettingsSection(m_parts.loginItem));
    layout->addWidget(new KeepAwakeSettingsSection(m_parts.keepAwake));
    layout->addWidget(new UpdateSettings(m_parts.updater));
    layout->addStretch(1);
    return scrolling(form);
}

QWidget* SettingsView::makeKeysPane()
{
    auto* form = new QWidget;
    form->setObjectName(QStringLiteral("settings-api-keys"));
    auto* layout = new QVBoxLayout(form);
    layout->setContentsMargins(20, 20, 20, 20);
    layout->addWidget(makeSettingsLabel(
        QStringLiteral("api-keys-note"), SettingsLabelKind::secondary, std::nullopt, settings_text::apiKeysNote));
    for (ProviderKeySettings* credentials : m_parts.credentials) {
        layout->addWidget(new ProviderKeyFields(*credentials));
    }
    layout->addStretch(1);
    return scrolling(form);
}

} // namespace tavlen::ui
