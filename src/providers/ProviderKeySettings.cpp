#include "ProviderKeySettings.h"

#include "FailureDescription.h"
#include "MainThread.h"
#include "Observable.h"
#include "ProviderKeyRule.h"
#include "ProvidersLog.h"

#include <QPointer>

namespace tavlen {

ProviderKeySettings::ProviderKeySettings(ModelSelection::Provider provider, std::shared_ptr<ProviderKeyStore> store)
    : m_provider(provider)
    , m_store(std::move(store))
{}

void ProviderKeySettings::setDraft(const std::string& draft)
{
    TAVLEN_ASSERT_MAIN_THREAD();
    if (assignIfChanged(m_draft, draft)) {
        setError(std::nullopt);
        Q_EMIT draftChanged();
    }
}

void ProviderKeySettings::appear()
{
    TAVLEN_ASSERT_MAIN_THREAD();
    m_isVisible = true;
    if (!m_activity) {
        refresh();
    } else {
        m_needsRefresh = true;
    }
}

void ProviderKeySettings::disappear()
{
    TAVLEN_ASSERT_MAIN_THREAD();
    m_isVisible = false;
    setDraft(std::string());
    setError(std::nullopt);
}

void ProviderKeySettings::refresh()
{
    TAVLEN_ASSERT_MAIN_THREAD();
    if (m_activity) {
        return;
    }
    setHasSavedKey(std::nullopt);
    setError(std::nullopt);
    setActivity(Activity::loading);
    auto saved = std::make_shared<bool>(false);
    startOperation([store = m_store, saved]() -> QCoro::Task<void> { *saved = co_await store->hasKey(); },
                   [this, saved] { setHasSavedKey(*saved); },
                   true);
}

void ProviderKeySettings::save()
{
    TAVLEN_ASSERT_MAIN_THREAD();
    if (!m_hasSavedKey || m_activity) {
        return;
    }
    std::string key;
    try {
        key = checkedProviderKey(m_draft);
    } catch (...) {
        showError(std::current_exception());
        return;
    }
    setError(std::nullopt);
    setActivity(Activity::saving);
    if (onCredentialsWillChange) {
        onCredentialsWillChange();
    }
    startOperation([store = m_store, key]() -> QCoro::Task<void> { co_await store->save(key); },
                   [this] { finishChange(true); },
                   false);
}

void ProviderKeySettings::remove()
{
    TAVLEN_ASSERT_MAIN_THREAD();
    if (!canRemove()) {
        return;
    }
    setError(std::nullopt);
    setActivity(Activity::removing);
    if (onCredentialsWillChange) {
        onCredentialsWillChange();
    }
    if (onWillRemove) {
        onWillRemove();
    }
    startOperation([store = m_store]() -> QCoro::Task<void> { co_await store->deleteKey(); },
                   [this] { finishChange(false); },
                   true);
}

void ProviderKeySettings::startOperation(std::function<QCoro::Task<void>()> work,
                                         std::function<void()> succeeded,
                                         bool failuresAreStorage)
{
    auto body = [self = QPointer<ProviderKeySettings>(this),
                 work = std::move(work),
                 succeeded = std::move(succeeded),
                 failuresAreStorage](std::stop_token) -> QCoro::Task<void> {
        std::exception_ptr failure;
        try {
            co_await work();
        } catch (...) {
            failure = std::current_exception();
        }
        if (!self) {
            co_return;
        }
        if (!failure) {
            succeeded();
        } else {
            self->showError(failuresAreStorage ? std::make_exception_ptr(ProviderKeyError::storage()) : failure);
        }
        self->finishOperation();
    };
    // A previous handle is released, not cancelled: it belongs to a finished operation. A body that finished
    // before its handle was made (a store that answers without suspending) has already cleared the operation.
    TaskHandle<void> operation(std::move(body));
    if (!operation.isFinished()) {
        m_operation = std::move(operation);
    }
}

void ProviderKeySettings::finishChange(bool saved)
{
    setHasSavedKey(saved);
    setDraft(std::string());
    if (onCredentialsChanged) {
        onCredentialsChanged();
    }
}

void ProviderKeySettings::finishOperation()
{
    setActivity(std::nullopt);
    m_operation.reset();
    if (m_isVisible && m_needsRefresh) {
        m_needsRefresh = false;
        refresh();
    }
}

void ProviderKeySettings::showError(std::exception_ptr error)
{
    if (!m_isVisible) {
        return;
    }
    try {
        std::rethrow_exception(error);
    } catch (const ProviderKeyError& keyError) {
        setError(keyError);
    } catch (...) {
        qCWarning(providersLog) << "key storage failed:" << describeFailure(error).c_str();
        setError(ProviderKeyError::storage());
    }
}

void ProviderKeySettings::setHasSavedKey(std::optional<bool> value)
{
    if (assignIfChanged(m_hasSavedKey, value)) {
        Q_EMIT hasSavedKeyChanged();
    }
}

void ProviderKeySettings::setActivity(std::optional<Activity> value)
{
    if (assignIfChanged(m_activity, value)) {
        Q_EMIT activityChanged();
    }
}

void ProviderKeySettings::setError(std::optional<ProviderKeyError> value)
{
    if (assignIfChanged(m_error, value)) {
        Q_EMIT errorChanged();
    }
}

} // namespace tavlen
