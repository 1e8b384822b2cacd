#include "AddModelView.h"

#include "AIModelPaneState.h"
#include "ModelSettings.h"
#include "ProgressSpinner.h"
#include "QtText.h"
#include "SettingsLabels.h"
#include "SettingsText.h"
#include "TaskHandle.h"
#include "TavlenButton.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QVBoxLayout>

namespace tavlen::ui {

namespace {

constexpr TavlenButtonStyle standard{TavlenButtonStyle::Variant::standard, TavlenButtonStyle::Size::regular};
constexpr TavlenButtonStyle primary{TavlenButtonStyle::Variant::primary, TavlenButtonStyle::Size::regular};

QFrame* divider()
{
    auto* line = new QFrame;
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

} // namespace

AddModelView::AddModelView(ModelSettings& settings, QWidget* parent)
    : QDialog(parent)
    , m_settings(settings)
    , m_form(new QWidget)
    , m_provider(new QComboBox)
    , m_modelsSection(new QGroupBox)
    , m_hostRow(new QWidget)
    , m_host(new QLineEdit)
    , m_connecting(new ProgressSpinner(ProgressSpinner::Size::small))
    , m_missingKey(makeSettingsLabel(QStringLiteral("add-model-missing-key"), SettingsLabelKind::secondary))
    , m_status(makeSettingsLabel(QStringLiteral("add-model-status"), SettingsLabelKind::secondary))
    , m_connect(new TavlenButton(settings_text::refreshModels, standard))
    , m_discoveryError(makeSettingsLabel(QStringLiteral("add-model-discovery-error"), SettingsLabelKind::error))
    , m_modelRow(new QWidget)
    , m_model(new QComboBox)
    , m_settingsError(makeSettingsLabel(QStringLiteral("add-model-error"), SettingsLabelKind::error))
    , m_saving(new ProgressSpinner(ProgressSpinner::Size::small))
    , m_cancel(new TavlenButton(settings_text::cancel, standard))
    , m_add(new TavlenButton(settings_text::addModel, primary))
{
    setObjectName(QStringLiteral("add-model"));
    setWindowTitle(settings_text::addModelTitle);
    setWindowModality(Qt::WindowModal);
    setFixedSize(fixedSize);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* title = new QLabel(settings_text::addModelTitle);
    QFont titleFont = textStyleFont(TextStyle::title2);
    titleFont.setWeight(QFont::DemiBold);
    title->setFont(titleFont);
    title->setContentsMargins(20, 20, 20, 20);
    layout->addWidget(title);
    layout->addWidget(divider());

    auto* form = new QVBoxLayout(m_form);
    form->setContentsMargins(20, 12, 20, 12);
    auto* providerSection = new QGroupBox;
    auto* providerForm = new QFormLayout(providerSection);
    m_provider->setObjectName(QStringLiteral("add-model-provider"));
    for (const ModelSelection::Provider provider : ModelSelection::allProviders()) {
        m_provider->addItem(QString::fromUtf8(ModelSelection::label(provider)), static_cast<int>(provider));
    }
    providerForm->addRow(settings_text::provider, m_provider);
    form->addWidget(providerSection);

    m_modelsSection->setObjectName(QStringLiteral("add-model-models"));
    auto* models = new QVBoxLayout(m_modelsSection);
    auto* hostForm = new QFormLayout(m_hostRow);
    hostForm->setContentsMargins(0, 0, 0, 0);
    m_host->setObjectName(QStringLiteral("add-model-host"));
    hostForm->addRow(settings_text::serverHost, m_host);
    models->addWidget(m_hostRow);
    auto* status = new QHBoxLayout;
    status->addWidget(m_connecting);
    status->addWidget(m_missingKey, 1);
    status->addWidget(m_status);
    status->addStretch(1);
    m_connect->setObjectName(QStringLiteral("add-model-connect"));
    status->addWidget(m_connect);
    models->addLayout(status);
    models->addWidget(m_discoveryError);
    auto* modelForm = new QFormLayout(m_modelRow);
    modelForm->setContentsMargins(0, 0, 0, 0);
    m_model->setObjectName(QStringLiteral("add-model-model"));
    modelForm->addRow(settings_text::model, m_model);
    models->addWidget(m_modelRow);
    form->addWidget(m_modelsSection);
    form->addWidget(m_settingsError);
    form->addStretch(1);
    layout->addWidget(m_form, 1);
    layout->addWidget(divider());

    auto* footer = new QHBoxLayout;
    footer->setContentsMargins(16, 16, 16, 16);
    footer->addWidget(m_saving);
    footer->addStretch(1);
    m_cancel->setObjectName(QStringLiteral("add-model-cancel"));
    m_cancel->setRole(ButtonRole::cancel);
    m_add->setObjectName(QStringLiteral("add-model-add"));
    footer->addWidget(m_cancel);
    footer->addWidget(m_add);
    layout->addLayout(footer);

    ModelDiscovery& discovery = m_settings.discovery();
    connect(m_provider, &QComboBox::activated, this, [this, &discovery](int index) {
        discovery.setProvider(static_cast<ModelSelection::Provider>(m_provider->itemData(index).toInt()));
    });
    connect(m_host, &QLineEdit::textEdited, this, [&discovery](const QString& text) {
        discovery.setHost(fromQString(text));
    });
    connect(m_host, &QLineEdit::returnPressed, this, [&discovery] { discovery.refresh(); });
    connect(m_connect, &TavlenButton::clicked, this, [&discovery] { discovery.refresh(); });
    connect(m_model, &QComboBox::activated, this, [this, &discovery](int index) {
        const QVariant identifier = m_model->itemData(index);
        discovery.setSelectedModelIdentifier(identifier.isValid() ? std::optional(fromQString(identifier.toString()))
                                                                  : std::nullopt);
    });
    connect(m_cancel, &TavlenButton::clicked, this, &AddModelView::reject);
    connect(m_add, &TavlenButton::clicked, this, &AddModelView::add);
    for (const auto signal : {&ModelDiscovery::providerChanged,
                              &ModelDiscovery::hostChanged,
                              &ModelDiscovery::selectedModelIdentifierChanged,
                              &ModelDiscovery::isConnectingChanged,
                              &ModelDiscovery::connectedChanged,
                              &ModelDiscovery::needsAPIKeyChanged,
                              &ModelDiscovery::errorChanged}) {
        connect(&discovery, signal, this, &AddModelView::refresh);
    }
    connect(&discovery, &ModelDiscovery::modelsChanged, this, [this] {
        rebuildModels();
        refresh();
    });
    connect(&m_settings, &ModelSettings::isSavingChanged, this, &AddModelView::refresh);
    connect(&m_settings, &ModelSettings::errorChanged, this, &AddModelView::refresh);
    rebuildModels();
    refresh();
}

void AddModelView::reject()
{
    // A model being saved is not abandoned half way: the sheet stays until the save has ended.
    if (m_settings.isSaving()) {
        return;
    }
    QDialog::reject();
}

void AddModelView::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    m_settings.discovery().appear();
    refresh();
}

void AddModelView::hideEvent(QHideEvent* event)
{
    QDialog::hideEvent(event);
    m_settings.discovery().disappear();
}

void AddModelView::keyPressEvent(QKeyEvent* event)
{
    const bool isReturn = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (!isReturn) {
        QDialog::keyPressEvent(event);
        return;
    }
    // Return is the sheet's default action, except in the host field, where it connects.
    event->accept();
    if (focusWidget() != m_host && m_add->isEnabled()) {
        add();
    }
}

void AddModelView::refresh()
{
    const ModelDiscovery& discovery = m_settings.discovery();
    const AddModelSheetState state = addModelSheetState(AddModelFacts::from(discovery, m_settings.isSaving()));
    m_provider->setCurrentIndex(m_provider->findData(static_cast<int>(discovery.provider())));
    m_modelsSection->setTitle(state.sectionHeader);
    m_hostRow->setVisible(state.showsHost);
    if (m_host->text() != toQString(discovery.host())) {
        m_host->setText(toQString(discovery.host()));
    }
    m_connecting->setVisible(state.showsSpinner);
    showOptionalText(m_missingKey, state.missingKeyNote);
    m_status->setVisible(!state.missingKeyNote);
    m_status->setText(state.statusText);
    m_connect->setVisible(!state.missingKeyNote);
    m_connect->setText(state.connectTitle);
    m_connect->setEnabled(state.connectEnabled);
    showOptionalText(m_discoveryError, state.discoveryError);
    m_modelRow->setVisible(state.showsModelPicker);
    const auto& selected = discovery.selectedModelIdentifier();
    m_model->setCurrentIndex(selected ? std::max(0, m_model->findData(toQString(*selected))) : 0);
    const auto& error = m_settings.error();
    showOptionalText(m_settingsError, error ? std::optional(toQString(*error)) : std::nullopt);
    m_form->setEnabled(state.formEnabled);
    m_saving->setVisible(m_settings.isSaving());
    m_cancel->setEnabled(state.cancelEnabled);
    m_add->setEnabled(state.addEnabled);
}

void AddModelView::rebuildModels()
{
    m_model->clear();
    m_model->addItem(settings_text::selectModel);
    for (const ModelSelection& model : m_settings.discovery().models()) {
        const QString identifier = toQString(model.modelIdentifier);
        m_model->addItem(identifier, identifier);
    }
}

void AddModelView::add()
{
    TaskHandle<void>([&settings = m_settings, self = QPointer(this)](std::stop_token) -> QCoro::Task<void> {
        const bool added = co_await settings.add();
        if (added && self) {
            self->accept();
        }
    });
}

} // namespace tavlen::ui
