#pragma once

#include "TemporaryDirectory.h"

#include <QProcess>
#include <QString>

namespace tavlen::test {

// A D-Bus daemon of the test's own, with a configuration that lets every connection own any name and call
// anything. Ends with the object.
class PrivateBus
{
public:
    PrivateBus();
    ~PrivateBus();
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

    // The address clients connect to ("unix:path=…,guid=…").
    const QString& address() const { return m_address; }

private:
    TemporaryDirectory m_directory;
    QProcess m_daemon;
    QString m_address;
};

} // namespace tavlen::test
