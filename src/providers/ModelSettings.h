#pragma once

// moc cannot parse the C++20 standard headers that these pull in; it needs none of them.
#ifndef Q_MOC_RUN
#include "ModelDiscovery.h"
#include "ModelRegistry.h"
#include "ModelRepository.h"
#include "TaskHandle.h"
#endif

#include <QObject>

#include <functional>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>

namespace tavlen {

// The configured models as the application sees them: the registry, whether it is being read or changed, and
// the last error, with the discovery of the Add model sheet. A read and a change never overlap: changes are
// refused (false, no error) while either runs, and a read asked for while one runs waits for it. The registry is
// only ever replaced by one the repository read back. Main thread only.
class ModelSettings : public QObject
{
    Q_OBJECT

public:
    // One change of the configured models, giving the registry read back after it.
    using Change = std::function<QCoro::Task<ModelRegistry>()>;

    // Without an initial registry it starts empty and loading, until the first load has finished.
    ModelSettings(std::shared_ptr<ModelRepository> repository,
                  std::unique_ptr<ModelDiscovery> discovery,
                  std::optional<ModelRegistry> initial = std::nullopt);

    const ModelRegistry& registry() const { return m_registry; }

    // True until the first load has finished, and while a load runs.
    bool isLoading() const { return m_isLoading; }

    // True while a change runs.
    bool isSaving() const { return m_isSaving; }

    // The sentence of the last failed load or change.
    const std::optional<std::string>& error() const { return m_error; }

    ModelDiscovery& discovery() const { return *m_discovery; }

    // Reads the registry; a failure keeps the previous one and shows its sentence. A call made while a load runs
    // waits for that load, one made while a change runs returns at once (the change publishes a registry read
    // back). Never throws, except CancelledError when a stop on token abandons the wait (the load goes on).
    QCoro::Task<void> load(std::stop_token token = {});

    // Adds the model picked in the discovery; true when it was added. False without a pick, while loading or
    // saving, or with the change's failure shown.
    QCoro::Task<bool> add();

    // Runs change unless loading or saving; true on success, else false with its failure shown.
    QCoro::Task<bool> applyChange(Change change);

    // The changes of the AI models pane.
    Change setDefaultChange(Uuid modelID) const;
    Change removeChange(Uuid modelID) const;

    void clearError();

Q_SIGNALS:
    // Emitted on every assignment, equal or not.
    void registryChanged();
    void isLoadingChanged();
    void isSavingChanged();
    void errorChanged();

private:
    // The one read of the registry behind every waiting load.
    QCoro::Task<void> runLoad(std::stop_token stop);
    // Runs change as the one change: its registry on success, its sentence on failure.
    QCoro::Task<bool> runChange(Change change);
    void showFailure(std::exception_ptr failure);

    void setRegistry(ModelRegistry registry);
    void setIsLoading(bool value);
    void setIsSaving(bool value);
    void setError(const std::optional<std::string>& error);

    std::shared_ptr<ModelRepository> m_repository;
    std::unique_ptr<ModelDiscovery> m_discovery;
    ModelRegistry m_registry;
    bool m_isLoading = true;
    bool m_isSaving = false;
    std::optional<std::string> m_error;
    // The running load; present exactly while one runs.
    std::optional<TaskHandle<void>> m_load;
};

} // namespace tavlen
