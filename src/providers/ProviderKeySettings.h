#pragma once

// moc cannot parse the C++20 standard headers that these pull in; it needs none of them.
#ifndef Q_MOC_RUN
#include "ModelSelection.h"
#include "ProviderKeyError.h"
#include "ProviderKeyStore.h"
#include "TaskHandle.h"
#endif

#include <QObject>

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace tavlen {

// The state behind one provider's key field in the API keys pane: the draft being typed, whether a key is saved,
// the running operation and the error shown, with hooks through which the rest of the application follows a
// key being saved or removed. One operation at a time; errors are shown only while the pane is visible.
// Main thread only.
class ProviderKeySettings : public QObject
{
    Q_OBJECT

public:
    enum class Activity
    {
        loading,
        saving,
        removing,
    };

    ProviderKeySettings(ModelSelection::Provider provider, std::shared_ptr<ProviderKeyStore> store);

    ModelSelection::Provider provider() const { return m_provider; }

    const std::string& draft() const { return m_draft; }

    // Nothing until a lookup has succeeded (never looked up, looking up, or the lookup failed).
    std::optional<bool> hasSavedKey() const { return m_hasSavedKey; }

    // Nothing while idle.
    std::optional<Activity> activity() const { return m_activity; }

    const std::optional<ProviderKeyError>& error() const { return m_error; }

    // A saved key and nothing running; changes with hasSavedKey and activity.
    bool canRemove() const { return m_hasSavedKey == true && !m_activity; }

    // A different text clears a shown error.
    void setDraft(const std::string& draft);

    // Called before a save that passed the key rule and before a removal, before the database is touched.
    std::function<void()> onCredentialsWillChange;
    // Called after a successful save or removal, once hasSavedKey and the draft are updated.
    std::function<void()> onCredentialsChanged;
    // Called at the start of a removal, right after onCredentialsWillChange.
    std::function<void()> onWillRemove;

    // The pane was shown: looks the key up now, or once the running operation has finished.
    void appear();
    // The pane went away: clears the draft and the error.
    void disappear();
    // Looks up whether a key is saved; ignored while an operation runs.
    void refresh();
    // Saves the trimmed draft; ignored until a lookup has succeeded and while an operation runs.
    void save();
    // Removes the saved key; ignored unless canRemove().
    void remove();

Q_SIGNALS:
    void draftChanged();
    void hasSavedKeyChanged();
    void activityChanged();
    void errorChanged();

private:
    void setHasSavedKey(std::optional<bool> value);
    void setActivity(std::optional<Activity> value);
    void setError(std::optional<ProviderKeyError> value);
    void finishOperation();
    void showError(std::exception_ptr error);
    // Runs body as the one operation; its handle is kept until it finishes.
    void startOperation(std::function<QCoro::Task<void>()> body);

    ModelSelection::Provider m_provider;
    std::shared_ptr<ProviderKeyStore> m_store;
    std::string m_draft;
    std::optional<bool> m_hasSavedKey;
    std::optional<Activity> m_activity;
    std::optional<ProviderKeyError> m_error;
    bool m_isVisible = false;
    bool m_needsRefresh = false;
    std::optional<TaskHandle<void>> m_operation;
};

} // namespace tavlen
