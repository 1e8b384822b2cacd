#include "ModelSettings.h"

#include "MainThread.h"
#include "MonitorStoreError.h"
#include "Observable.h"
#include "ProvidersLog.h"

#include <QPointer>

namespace tavlen {

ModelSettings::ModelSettings(std::shared_ptr<ModelRepository> repository,
                             std::unique_ptr<ModelDiscovery> discovery,
                             std::optional<ModelRegistry> initial)
    : m_repository(std::move(repository))
    , m_discovery(std::move(discovery))
    , m_registry(initial.value_or(ModelRegistry()))
    , m_isLoading(!initial)
{}

QCoro::Task<void> ModelSettings::load(std::stop_token token)
{
    TAVLEN_ASSERT_MAIN_THREAD();
    if (!m_load) {
        if (m_isSaving) {
            co_return;
        }
        setIsLoading(true);
        setError(std::nullopt);
        TaskHandle<void> reading(*this, [this](std::stop_token stop) { return runLoad(stop); });
        // A read that finished without suspending has published its outcome already.
        if (reading.isFinished()) {
            co_return;
        }
        m_load = std::move(reading);
    }
    // A copy: the load drops its own handle when it ends.
    const TaskHandle<void> running = *m_load;
    co_await running.result(token);
}

QCoro::Task<void> ModelSettings::runLoad(std::stop_token stop)
{
    const QPointer<ModelSettings> self(this);
    const std::shared_ptr<ModelRepository> repository = m_repository;
    std::optional<ModelRegistry> registry;
    std::exception_ptr failure;
    try {
        auto reading = repository->registry(stop);
        registry = co_await std::move(reading);
    } catch (...) {
        failure = std::current_exception();
    }
    if (!self) {
        co_return;
    }
    if (registry) {
        setRegistry(std::move(*registry));
    } else {
        showFailure(failure);
    }
    setIsLoading(false);
    m_load.reset();
}

QCoro::Task<bool> ModelSettings::add()
{
    TAVLEN_ASSERT_MAIN_THREAD();
    std::optional<ModelSelection> selection = m_discovery->selection();
    if (!selection) {
        co_return false;
    }
    auto change = [repository = m_repository, selection = std::move(*selection)]() {
        selection.validate();
        return repository->add(selection);
    };
    auto adding = runChange(std::move(change));
    co_return co_await std::move(adding);
}

QCoro::Task<bool> ModelSettings::applyChange(Change change)
{
    TAVLEN_ASSERT_MAIN_THREAD();
    auto changing = runChange(std::move(change));
    co_return co_await std::move(changing);
}

ModelSettings::Change ModelSettings::setDefaultChange(Uuid modelID) const
{
    return [repository = m_repository, modelID] { return repository->setDefault(modelID); };
}

ModelSettings::Change ModelSettings::removeChange(Uuid modelID) const
{
    return [repository = m_repository, modelID] { return repository->remove(modelID); };
}

void ModelSettings::clearError()
{
    TAVLEN_ASSERT_MAIN_THREAD();
    setError(std::nullopt);
}

QCoro::Task<bool> ModelSettings::runChange(Change change)
{
    if (m_isSaving || m_isLoading) {
        co_return false;
    }
    const QPointer<ModelSettings> self(this);
    setIsSaving(true);
    setError(std::nullopt);
    std::optional<ModelRegistry> registry;
    std::exception_ptr failure;
    try {
        auto changing = change();
        registry = co_await std::move(changing);
    } catch (...) {
        failure = std::current_exception();
    }
    if (!self) {
        co_return false;
    }
    const bool succeeded = registry.has_value();
    if (succeeded) {
        setRegistry(std::move(*registry));
    } else {
        showFailure(failure);
    }
    setIsSaving(false);
    co_return succeeded;
}

void ModelSettings::showFailure(std::exception_ptr failure)
{
    try {
        std::rethrow_exception(failure);
    } catch (const MonitorStoreError& error) {
        setError(error.errorDescription());
    } catch (const std::exception& other) {
        qCWarning(providersLog, "Configured models: unexpected failure: %s", other.what());
        setError(MonitorStoreError::from(failure).errorDescription());
    } catch (...) {
        qCWarning(providersLog, "Configured models: unexpected failure of an unknown kind");
        setError(MonitorStoreError::from(failure).errorDescription());
    }
}

void ModelSettings::setRegistry(ModelRegistry registry)
{
    m_registry = std::move(registry);
    Q_EMIT registryChanged();
}

void ModelSettings::setIsLoading(bool value)
{
    if (assignIfChanged(m_isLoading, value)) {
        Q_EMIT isLoadingChanged();
    }
}

void ModelSettings::setIsSaving(bool value)
{
    if (assignIfChanged(m_isSaving, value)) {
        Q_EMIT isSavingChanged();
    }
}

void ModelSettings::setError(const std::optional<std::string>& error)
{
    if (assignIfChanged(m_error, error)) {
        Q_EMIT errorChanged();
    }
}

} // namespace tavlen
