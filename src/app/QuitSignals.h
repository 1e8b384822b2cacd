#pragma once

#include <QObject>

#include <memory>

class QSocketNotifier;

namespace tavlen {

// SIGINT and SIGTERM as a Qt signal on the main thread, through a pipe the handlers write to. One per process.
class QuitSignals : public QObject
{
    Q_OBJECT

public:
    QuitSignals();
    ~QuitSignals() override;

Q_SIGNALS:
    void received();

private:
    std::unique_ptr<QSocketNotifier> m_notifier;
};

} // namespace tavlen
