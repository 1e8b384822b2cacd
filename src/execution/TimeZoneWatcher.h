#pragma once

#include <QFileSystemWatcher>
#include <QObject>

#include <filesystem>
#include <string>

namespace tavlen {

// Notices a change of the system's time zone: the zone file (/etc/localtime) rewritten, or replaced as a
// symbolic link, which the folder's watch sees once the file's own watch has gone with the old file.
class TimeZoneWatcher final : public QObject
{
    Q_OBJECT

public:
    explicit TimeZoneWatcher(std::filesystem::path zoneFile = "/etc/localtime", QObject* parent = nullptr);

Q_SIGNALS:
    void changed();

private:
    void fileChanged();
    void folderChanged();
    void rewatch();
    // The link target and the target's size and modification time: what a change of zone alters.
    std::string signature() const;

    std::filesystem::path m_zoneFile;
    QFileSystemWatcher m_watcher;
    std::string m_signature;
};

} // namespace tavlen
