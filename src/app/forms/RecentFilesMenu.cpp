#include "app/forms/RecentFilesMenu.h"

#include <QMenu>

namespace qs {

RecentFilesMenu::RecentFilesMenu(QMenu* fileMenu, QMenu* reopenMenu, Reopen reopen,
                                 std::shared_ptr<RegistryBackend> registry)
    : QObject(reopenMenu), m_reopenMenu(reopenMenu), m_reopen(std::move(reopen)),
      m_registry(std::move(registry)) {
    connect(fileMenu, &QMenu::aboutToShow, this, [this] {
        if (!m_released) {
            Load();
        }
    });
}

void RecentFilesMenu::Load() {
    m_list.Load(m_registry);
    Rebuild();
}

void RecentFilesMenu::Add(const std::string& path) {
    if (m_released) {
        AddToStoredRecentFiles(m_registry, path);
        return;
    }
    m_list.Add(path);
    Store();
    Rebuild();
}

void RecentFilesMenu::Store() {
    if (!m_released) {
        m_list.Store(m_registry);
    }
}

void RecentFilesMenu::Release() {
    m_released = true;
    m_list.Clear();
}

void RecentFilesMenu::Rebuild() {
    m_reopenMenu->clear();
    const auto& items = m_list.Items();
    for (std::size_t i = 0; i < items.size(); ++i) {
        QAction* action =
            m_reopenMenu->addAction(QString::fromStdString(TRecentFiles::MenuCaption(i, items[i])));
        const std::string path = items[i];
        connect(action, &QAction::triggered, this, [this, path] { m_reopen(path); });
    }
    m_reopenMenu->menuAction()->setEnabled(!items.empty());
}

} // namespace qs
