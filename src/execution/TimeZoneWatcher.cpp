#include "TimeZoneWatcher.h"

#include <QString>

#include <system_error>

namespace tavlen {

namespace {

QString qtPath(const std::filesystem::path& path)
{
    return QString::fromStdString(path.string());
}

} // namespace

TimeZoneWatcher::TimeZoneWatcher(std::filesystem::path zoneFile, QObject* parent)
    : QObject(parent)
    , m_zoneFile(std::move(zoneFile))
    , m_signature(signature())
{
    m_watcher.addPath(qtPath(m_zoneFile.parent_path()));
    m_watcher.addPath(qtPath(m_zoneFile));
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, &TimeZoneWatcher::fileChanged);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, &TimeZoneWatcher::folderChanged);
}

void TimeZoneWatcher::fileChanged()
{
    rewatch();
    m_signature = signature();
    Q_EMIT changed();
}

void TimeZoneWatcher::folderChanged()
{
    // The folder (/etc) changes for many reasons; only a different zone file counts.
    rewatch();
    std::string current = signature();
    if (current != m_signature) {
        m_signature = std::move(current);
        Q_EMIT changed();
    }
}

void TimeZoneWatcher::rewatch()
{
    // A replaced file takes its watch with it: watch whatever the name leads to now.
    m_watcher.removePath(qtPath(m_zoneFile));
    m_watcher.addPath(qtPath(m_zoneFile));
}

std::string TimeZoneWatcher::signature() const
{
    std::error_code error;
    std::string result = std::filesystem::read_symlink(m_zoneFile, error).string();
    const auto size = std::filesystem::file_size(m_zoneFile, error);
    result += '\n' + std::to_string(error ? 0 : size);
    const auto modified = std::filesystem::last_write_time(m_zoneFile, error);
    result += '\n' + std::to_string(error ? 0 : modified.time_since_epoch().count());
    return result;
}

} // namespace tavlen
