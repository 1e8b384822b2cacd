#pragma once

#include <QString>
#include <QStringList>
#include <QThread>

#include <memory>
#include <mutex>

namespace tavlen::test {

// The desktop's tray watcher on a bus of the test's own ("org.kde.StatusNotifierWatcher", with a host present),
// answering from a thread of its own. Records the items that register.
class StandInTrayWatcher
{
public:
    explicit StandInTrayWatcher(const QString& busAddress);
    ~StandInTrayWatcher();

    QStringList registeredItems() const;

    struct Shared
    {
        mutable std::mutex mutex;
        QStringList items;
    };

private:
    std::shared_ptr<Shared> m_shared;
    QThread m_thread;
    QObject* m_watcher = nullptr;
};

} // namespace tavlen::test
