#include "ProviderKeySettings.h"

#include "MainThread.h"
#include "Observable.h"
#include "ProviderKeyRule.h"

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
    startOperation([this, store = m_store]() -> QCoro::Task<void> {
        const QPointer<ProviderKeySettings> self(this);
        std::exception_ptr failure;
        bool saved = false;
        try {
            saved = co_await store->hasKey();
        } catch (...) {
            failure = std::current_exception();
        }
        if (!self) {
            co_return;
        }
        if (failure) {
            showError(std::make_exception_ptr(ProviderKeyError::storage()));
        } else {
            setHasSavedKey(saved);
        }
        finishOperation();
    });
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
    startOperation([this, store = m_store, key]() -> QCoro::Task<void> {
        const QPointer<ProviderKeySettings> self(this);
        std::exception_ptr failure;
        try {
            co_await store->save(key);
        } catch (...) {
            failure = std::current_exception();
        }
        if (!self) {
            co_return;
        }
        if (failure) {
            showError(failure);
        } else {
            setHasSavedKey(true);
            setDraft(std::string());
            if (onCredentialsChanged) {
                onCredentialsChanged();
            }
        }
        finishOperation();
    });
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
    startOperation([this, store = m_store]() -> QCoro::Task<void> {
        const QPointer<ProviderKeySettings> self(this);
        std::exception_ptr failure;
        try {
            co_await store->deleteKey();
        } catch (...) {
            failure = std::current_exception();
        }
        if (!self) {
            co_return;
        }
        if (failure) {
            showError(std::make_exception_ptr(ProviderKeyError::storage()));
        } else {
            setHasSavedKey(false);
            setDraft(std::string());
            if (onCredentialsChanged) {
                onCredentialsChanged();
            }
        }
        finishOperation();
    });
}

void ProviderKeySettings::startOperation(std::function<QCoro::Task<void>()> body)
{
    // A previous handle is released, not cancelled: it belongs to a finished operation. A body that finished
    // before its handle was made (a store that answers without suspending) has already cleared the operation.
    TaskHandle<void> operation([body = std::move(body)](std::stop_token) { return body(); });
    if (!operation.isFinished()) {
        m_operation = std::move(operation);
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
