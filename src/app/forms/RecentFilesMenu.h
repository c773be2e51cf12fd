// Keeps the recent-files list behind the File menu's Reopen submenu: reloads it whenever
// the File menu opens (other processes add to it), and starts a new process for a pick.
#pragma once

#include "settings/RecentFiles.h"

#include <QObject>

#include <functional>
#include <memory>

class QMenu;

namespace qs {

class RecentFilesMenu : public QObject {
    Q_OBJECT
public:
    using Reopen = std::function<void(const std::string& path)>;

    RecentFilesMenu(QMenu* fileMenu, QMenu* reopenMenu, Reopen reopen,
                    std::shared_ptr<RegistryBackend> registry);

    void Load();
    // Adds the path and stores the list at once.
    void Add(const std::string& path);
    void Store();
    // After the window has closed: nothing is used any more.
    void Release();
    bool Released() const { return m_released; }
    const TRecentFiles& List() const { return m_list; }

private:
    void Rebuild();

    QMenu* m_reopenMenu;
    Reopen m_reopen;
    TRegistry m_registry;
    TRecentFiles m_list;
    bool m_released = false;
};

} // namespace qs
