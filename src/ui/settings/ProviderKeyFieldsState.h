#pragma once

#include "ModelSelection.h"
#include "ProviderKeyError.h"
#include "ProviderKeySettings.h"

#include <QString>
#include <QUrl>

#include <optional>
#include <string>

namespace tavlen::ui {

// What one provider's API key section shows and enables, from its key settings alone.
struct ProviderKeyFieldsState
{
    std::optional<QString> statusLabel{}; // "API key saved", "No API key saved", or none while unknown
    bool fieldEnabled = false;
    QString saveTitle; // "Save key" or "Replace key"
    bool saveEnabled = false;
    bool showsRemove = false;
    bool removeEnabled = false;
    std::optional<QString> activityText{};
    std::optional<QString> errorText{};
    bool showsRetry = false;

    friend bool operator==(const ProviderKeyFieldsState&, const ProviderKeyFieldsState&) = default;
};

ProviderKeyFieldsState providerKeyFieldsState(std::optional<bool> hasSavedKey,
                                              std::optional<ProviderKeySettings::Activity> activity,
                                              const std::optional<ProviderKeyError>& error,
                                              const std::string& draft);

// The provider's page where API keys are created; none for Ollama.
std::optional<QUrl> providerKeyPage(ModelSelection::Provider provider);

} // namespace tavlen::ui
