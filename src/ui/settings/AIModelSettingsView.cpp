#include "AIModelSettingsView.h"

#include "AIModelPaneState.h"
#include "AddModelView.h"
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
#include <QLabel>
#include <QScrollArea>
#include <QVBoxLayout>

namespace tavlen::ui {

namespace {

constexpr TavlenButtonStyle standard{TavlenButtonStyle::Variant::standard, TavlenButtonStyle::Size::regular};

QString providerLabel(const ModelSelection& selection)
{
    const QString location = toQString(ModelSelection::locationLabel(selection.provider, selection.ollamaHost));
    return selection.provider == ModelSelection::Provider::ollama ? QStringLiteral("Ollama \u00b7 ") + location
                                                                  : location;
}

// The change runs as its own task; its outcome shows through the settings' state.
void startChange(ModelSettings& settings, ModelSettings::Change change)
{
    TaskHandle<bool>([&settings, change = std::move(change)](std::stop_token) { return settings.applyChange(change); });
}

} // namespace

AIModelSettingsView::AIModelSettingsView(ModelSettings& settings, QWidget* parent)
    : QWidget(parent)
    , m_settings(settings)
    , m_defaultSection(new QGroupBox(settings_text::defaultHeader))
    , m_defaultModel(new QComboBox)
    , m_loading(new QWidget)
    , m_rows(new QWidget)
    , m_rowsLayout(new QVBoxLayout(m_rows))
    , m_empty(new QWidget)
    , m_errorSection(new QWidget)
    , m_error(makeSettingsLabel(QStringLiteral("models-error"), SettingsLabelKind::error))
    , m_retry(new TavlenButton(settings_text::retry, standard))
    , m_add(new TavlenButton(settings_text::addModel,
                             {TavlenButtonStyle::Variant::primary, TavlenButtonStyle::Size::regular}))
{
    setObjectName(QStringLiteral("settings-models"));
    auto* form = new QWidget;
    auto* sections = new QVBoxLayout(form);
    sections->setContentsMargins(20, 20, 20, 20);

    m_defaultSection->setObjectName(QStringLiteral("models-default-section"));
    auto* defaults = new QVBoxLayout(m_defaultSection);
    auto* picker = new QFormLayout;
    m_defaultModel->setObjectName(QStringLiteral("models-default"));
    picker->addRow(settings_text::defaultModel, m_defaultModel);
    defaults->addLayout(picker);
    defaults->addWidget(
        makeSettingsLabel({}, SettingsLabelKind::secondary, TextStyle::caption, settings_text::defaultFooter));
    sections->addWidget(m_defaultSection);

    auto* configured = new QGroupBox(settings_text::configuredHeader);
    auto* content = new QVBoxLayout(configured);
    m_loading->setObjectName(QStringLiteral("models-loading"));
    auto* loading = new QHBoxLayout(m_loading);
    loading->setContentsMargins(0, 0, 0, 0);
    loading->addWidget(new ProgressSpinner(ProgressSpinner::Size::small));
    loading->addWidget(new QLabel(settings_text::loadingModels), 1);
    content->addWidget(m_loading);
    m_rows->setObjectName(QStringLiteral("models-rows"));
    m_rowsLayout->setContentsMargins(0, 0, 0, 0);
    content->addWidget(m_rows);
    m_empty->setObjectName(QStringLiteral("models-empty"));
    auto* empty = new QVBoxLayout(m_empty);
    empty->setContentsMargins(0, 8, 0, 8);
    empty->setSpacing(6);
    auto* emptyTitle = new QLabel(settings_text::noModelsTitle);
    emptyTitle->setFont(textStyleFont(TextStyle::headline));
    empty->addWidget(emptyTitle);
    empty->addWidget(
        makeSettingsLabel({}, SettingsLabelKind::secondary, std::nullopt, settings_text::noModelsDescription));
    content->addWidget(m_empty);
    sections->addWidget(configured);

    auto* error = new QVBoxLayout(m_errorSection);
    error->setContentsMargins(0, 0, 0, 0);
    error->addWidget(m_error);
    m_retry->setObjectName(QStringLiteral("models-retry"));
    error->addWidget(m_retry, 0, Qt::AlignLeft);
    sections->addWidget(m_errorSection);
    sections->addStretch(1);

    auto* scroll = new QScrollArea;
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setWidget(form);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(scroll, 1);
    auto* line = new QFrame;
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    layout->addWidget(line);
    auto* bar = new QHBoxLayout;
    bar->setContentsMargins(16, 16, 16, 16);
    bar->addStretch(1);
    m_add->setObjectName(QStringLiteral("models-add"));
    m_add->setSymbolName(QStringLiteral("plus"));
    bar->addWidget(m_add);
    layout->addLayout(bar);

    connect(m_defaultModel, &QComboBox::activated, this, [this](int index) {
        if (const auto id = Uuid::parse(fromQString(m_defaultModel->itemData(index).toString()))) {
            startChange(m_settings, m_settings.setDefaultChange(*id));
        }
    });
    connect(m_retry, &TavlenButton::clicked, this, [this] {
        TaskHandle<void>([&settings = m_settings](std::stop_token) { return settings.load(); });
    });
    connect(m_add, &TavlenButton::clicked, this, &AIModelSettingsView::openAddModel);
    connect(&m_settings, &ModelSettings::registryChanged, this, [this] {
        rebuildModels();
        refresh();
    });
    for (const auto signal :
         {&ModelSettings::isLoadingChanged, &ModelSettings::isSavingChanged, &ModelSettings::errorChanged}) {
        connect(&m_settings, signal, this, &AIModelSettingsView::refresh);
    }
    rebuildModels();
    refresh();
}

void AIModelSettingsView::refresh()
{
    const ModelRegistry& registry = m_settings.registry();
    const AIModelPaneState state =
        aiModelPaneState(registry, m_settings.isLoading(), m_settings.isSaving(), m_settings.error().has_value());
    m_defaultSection->setVisible(state.showsDefaultSection);
    m_defaultModel->setEnabled(state.defaultPickerEnabled);
    m_defaultModel->setCurrentIndex(
        registry.defaultID ? m_defaultModel->findData(toQString(registry.defaultID->lowercaseString())) : -1);
    m_loading->setVisible(state.content == AIModelPaneState::Content::loading);
    m_rows->setVisible(state.content == AIModelPaneState::Content::rows);
    m_empty->setVisible(state.content == AIModelPaneState::Content::empty);
    m_errorSection->setVisible(state.showsError);
    m_error->setText(toQString(m_settings.error().value_or(std::string())));
    m_retry->setVisible(state.showsRetry);
    m_add->setEnabled(state.addEnabled);
    for (auto* remove : m_rows->findChildren<TavlenButton*>()) {
        remove->setEnabled(state.removeEnabled);
    }
}

void AIModelSettingsView::rebuildModels()
{
    const ModelRegistry& registry = m_settings.registry();
    m_defaultModel->clear();
    while (QLayoutItem* item = m_rowsLayout->takeAt(0)) {
        // A row's remove button may be the sender of the click that led here.
        item->widget()->hide();
        item->widget()->deleteLater();
        delete item;
    }
    for (const ConfiguredModel& model : registry.models) {
        const QString id = toQString(model.id.lowercaseString());
        const QString identifier = toQString(model.selection.modelIdentifier);
        m_defaultModel->addItem(toQString(model.selection.displayName()), id);

        auto* row = new QWidget;
        row->setObjectName(QStringLiteral("model-") + id);
        auto* line = new QHBoxLayout(row);
        line->setContentsMargins(0, 4, 0, 4);
        line->setSpacing(12);
        auto* texts = new QVBoxLayout;
        texts->setSpacing(4);
        auto* name =
            makeSettingsLabel(QStringLiteral("model-identifier"), SettingsLabelKind::plain, std::nullopt, identifier);
        QFont medium = name->font();
        medium.setWeight(QFont::Medium);
        name->setFont(medium);
        texts->addWidget(name);
        texts->addWidget(makeSettingsLabel(QStringLiteral("model-provider"),
                                           SettingsLabelKind::secondary,
                                           TextStyle::caption,
                                           providerLabel(model.selection)));
        line->addLayout(texts, 1);
        if (registry.defaultID == model.id) {
            line->addWidget(makeSettingsLabel(QStringLiteral("model-default"),
                                              SettingsLabelKind::secondary,
                                              TextStyle::caption,
                                              settings_text::defaultMark));
        }
        auto* remove = new TavlenButton(standard);
        remove->setObjectName(QStringLiteral("model-remove"));
        remove->setSymbolName(QStringLiteral("trash"));
        remove->setRole(ButtonRole::destructive);
        remove->setToolTip(settings_text::removePrefix + identifier);
        remove->setAccessibleName(settings_text::removePrefix + identifier);
        connect(remove, &TavlenButton::clicked, this, [this, id = model.id] {
            startChange(m_settings, m_settings.removeChange(id));
        });
        line->addWidget(remove);
        m_rowsLayout->addWidget(row);
    }
}

AddModelView* AIModelSettingsView::addModelSheet() const
{
    return m_sheet.data();
}

void AIModelSettingsView::openAddModel()
{
    m_settings.clearError();
    if (!m_sheet) {
        m_sheet = new AddModelView(m_settings, this);
        m_sheet->setAttribute(Qt::WA_DeleteOnClose);
    }
    m_sheet->open();
}

} // namespace tavlen::ui
