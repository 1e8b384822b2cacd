#include "PrivateBus.h"

#include <fstream>
#include <stdexcept>

namespace tavlen::test {

PrivateBus::PrivateBus()
{
    const auto config = m_directory / "bus.conf";
    std::ofstream(config) << "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-BUS Bus Configuration 1.0//EN\"\n"
                             " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                             "<busconfig>\n"
                             "  <type>session</type>\n"
                             "  <listen>unix:dir="
                          << m_directory.path().string()
                          << "</listen>\n"
                             "  <auth>EXTERNAL</auth>\n"
                             "  <policy context=\"default\">\n"
                             "    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
                             "    <allow eavesdrop=\"true\"/>\n"
                             "    <allow own=\"*\"/>\n"
                             "  </policy>\n"
                             "</busconfig>\n";
    m_daemon.setProgram(QStringLiteral("dbus-daemon"));
    m_daemon.setArguments({QStringLiteral("--nofork"),
                           QStringLiteral("--print-address"),
                           QStringLiteral("--config-file=") + QString::fromStdString(config.string())});
    m_daemon.start();
    if (!m_daemon.waitForStarted(10000)) {
        throw std::runtime_error("dbus-daemon did not start");
    }
    while (!m_daemon.canReadLine()) {
        if (!m_daemon.waitForReadyRead(10000)) {
            throw std::runtime_error("dbus-daemon printed no address");
        }
    }
    m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
}

PrivateBus::~PrivateBus()
{
    m_daemon.terminate();
    if (!m_daemon.waitForFinished(10000)) {
        m_daemon.kill();
        m_daemon.waitForFinished(10000);
    }
}

} // namespace tavlen::test
