#include "ProviderKeyFields.h"

#include "Icons.h"
#include "ProgressSpinner.h"
#include "ProviderKeyFieldsState.h"
#include "ProviderKeySettings.h"
#include "QtText.h"
#include "SettingsLabels.h"
#include "SettingsText.h"
#include "TavlenButton.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace tavlen::ui {

namespace {

constexpr TavlenButtonStyle primary{TavlenButtonStyle::Variant::primary, TavlenButtonStyle::Size::regular};
constexpr TavlenButtonStyle standard{TavlenButtonStyle::Variant::standard, TavlenButtonStyle::Size::regular};

} // namespace

ProviderKeyFields::ProviderKeyFields(ProviderKeySettings& settings, QWidget* parent)
    : QGroupBox(QString::fromUtf8(ModelSelection::label(settings.provider())), parent)
    , m_settings(settings)
    , m_status(new QWidget)
    , m_statusText(new QLabel)
    , m_field(new QLineEdit)
    , m_save(new TavlenButton(settings_text::saveKey, primary))
    , m_remove(new TavlenButton(settings_text::removeKey, standard))
    , m_spinner(new ProgressSpinner(ProgressSpinner::Size::small))
    , m_activity(
          makeSettingsLabel(QStringLiteral("api-key-activity"), SettingsLabelKind::secondary, TextStyle::caption))
    , m_error(makeSettingsLabel(QStringLiteral("api-key-error"), SettingsLabelKind::error, TextStyle::callout))
    , m_retry(new TavlenButton(settings_text::retry, standard))
{
    const QString name = title();
    setObjectName(QStringLiteral("api-key-") + QString::fromUtf8(ModelSelection::storedText(settings.provider())));
    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(12);

    auto* status = new QHBoxLayout(m_status);
    status->setContentsMargins(0, 0, 0, 0);
    auto* key = new QLabel;
    key->setPixmap(kitIcon(settings_text::apiKeysSymbol).pixmap(QSize(14, 14), devicePixelRatioF()));
    status->addWidget(key);
    m_statusText->setObjectName(QStringLiteral("api-key-status"));
    status->addWidget(m_statusText, 1);
    layout->addWidget(m_status);

    auto* form = new QFormLayout;
    m_field->setObjectName(QStringLiteral("api-key-field"));
    m_field->setEchoMode(QLineEdit::Password);
    m_field->setAccessibleName(name + QStringLiteral(" API key"));
    form->addRow(settings_text::apiKey, m_field);
    layout->addLayout(form);

    auto* buttons = new QHBoxLayout;
    m_save->setObjectName(QStringLiteral("api-key-save"));
    m_remove->setObjectName(QStringLiteral("api-key-remove"));
    m_remove->setRole(ButtonRole::destructive);
    buttons->addWidget(m_save);
    buttons->addWidget(m_remove);
    buttons->addWidget(m_spinner);
    buttons->addWidget(m_activity);
    buttons->addStretch(1);
    layout->addLayout(buttons);

    layout->addWidget(m_error);
    m_retry->setObjectName(QStringLiteral("api-key-retry"));
    layout->addWidget(m_retry, 0, Qt::AlignLeft);
    layout->addWidget(
        makeSettingsLabel({}, SettingsLabelKind::secondary, TextStyle::callout, settings_text::keyStorageNote(name)));
    if (const std::optional<QUrl> page = providerKeyPage(settings.provider())) {
        auto* link = new QLabel(QStringLiteral("<a href=\"%1\">%2</a>")
                                    .arg(page->toString(), settings_text::createKey(name).toHtmlEscaped()));
        link->setObjectName(QStringLiteral("api-key-link"));
        link->setOpenExternalLinks(true);
        layout->addWidget(link);
    }

    connect(
        m_field, &QLineEdit::textEdited, this, [this](const QString& text) { m_settings.setDraft(fromQString(text)); });
    connect(m_field, &QLineEdit::returnPressed, this, &ProviderKeyFields::save);
    connect(m_save, &TavlenButton::clicked, this, &ProviderKeyFields::save);
    connect(m_remove, &TavlenButton::clicked, this, [this] { m_settings.remove(); });
    connect(m_retry, &TavlenButton::clicked, this, [this] { m_settings.refresh(); });
    for (const auto signal : {&ProviderKeySettings::draftChanged,
                              &ProviderKeySettings::hasSavedKeyChanged,
                              &ProviderKeySettings::activityChanged,
                              &ProviderKeySettings::errorChanged}) {
        connect(&m_settings, signal, this, &ProviderKeyFields::refresh);
    }
    refresh();
}

void ProviderKeyFields::refresh()
{
    const ProviderKeyFieldsState state =
        providerKeyFieldsState(m_settings.hasSavedKey(), m_settings.activity(), m_settings.error(), m_settings.draft());
    m_status->setVisible(state.statusLabel.has_value());
    m_statusText->setText(state.statusLabel.value_or(QString()));
    const QString draft = toQString(m_settings.draft());
    if (m_field->text() != draft) {
        m_field->setText(draft);
    }
    m_field->setEnabled(state.fieldEnabled);
    m_save->setText(state.saveTitle);
    m_save->setEnabled(state.saveEnabled);
    m_remove->setVisible(state.showsRemove);
    m_remove->setEnabled(state.removeEnabled);
    m_spinner->setVisible(state.activityText.has_value());
    showOptionalText(m_activity, state.activityText);
    showOptionalText(m_error, state.errorText);
    m_retry->setVisible(state.showsRetry);
}

void ProviderKeyFields::save()
{
    m_settings.save();
    // A key refused at once stays in the field, focused, to be corrected in place.
    if (m_settings.error()) {
        m_field->setFocus(Qt::OtherFocusReason);
    }
}

} // namespace tavlen::ui
