#include "ProviderKeyFieldsState.h"

#include "QtText.h"
#include "SettingsText.h"

namespace tavlen::ui {

namespace {

QString activityText(ProviderKeySettings::Activity activity)
{
    switch (activity) {
    case ProviderKeySettings::Activity::saving:
        return settings_text::savingKey;
    case ProviderKeySettings::Activity::removing:
        return settings_text::removingKey;
    case ProviderKeySettings::Activity::loading:
        break;
    }
    return settings_text::checkingKey;
}

} // namespace

ProviderKeyFieldsState providerKeyFieldsState(std::optional<bool> hasSavedKey,
                                              std::optional<ProviderKeySettings::Activity> activity,
                                              const std::optional<ProviderKeyError>& error,
                                              const std::string& draft)
{
    const bool known = hasSavedKey.has_value();
    const bool idle = !activity;
    const bool saved = hasSavedKey == true;
    ProviderKeyFieldsState state;
    if (known) {
        state.statusLabel = saved ? settings_text::keySaved : settings_text::noKeySaved;
    }
    state.fieldEnabled = known && idle;
    state.saveTitle = saved ? settings_text::replaceKey : settings_text::saveKey;
    state.saveEnabled = known && idle && !toQString(draft).trimmed().isEmpty();
    state.showsRemove = saved;
    state.removeEnabled = saved && idle;
    if (activity) {
        state.activityText = activityText(*activity);
    }
    if (error) {
        state.errorText = QString::fromUtf8(error->what());
        state.showsRetry = !known && idle;
    }
    return state;
}

std::optional<QUrl> providerKeyPage(ModelSelection::Provider provider)
{
    switch (provider) {
    case ModelSelection::Provider::openAI:
        return QUrl(QStringLiteral("https://platform.openai.com/api-keys"));
    case ModelSelection::Provider::anthropic:
        return QUrl(QStringLiteral("https://console.anthropic.com/settings/keys"));
    case ModelSelection::Provider::gemini:
        return QUrl(QStringLiteral("https://aistudio.google.com/apikey"));
    case ModelSelection::Provider::ollama:
        break;
    }
    return std::nullopt;
}

} // namespace tavlen::ui
