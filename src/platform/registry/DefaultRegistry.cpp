// Chooses the registry store of this platform.
#include "platform/registry/HiveFileBackend.h"

#include <cstdlib>
#include <map>
#include <mutex>
#include <pwd.h>
#include <unistd.h>

namespace qs {

std::string DefaultHivePath() {
    if (const char* path = std::getenv("QUILLSTONE_REGISTRY"); path != nullptr && *path) {
        return path;
    }
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config != nullptr && *config == '/') {
        return std::string(config) + "/quillstone/registry.reg";
    }
    const char* home = std::getenv("HOME");
    if (home == nullptr || *home == '\0') {
        const passwd* pw = ::getpwuid(::getuid());
        home = pw != nullptr ? pw->pw_dir : "/tmp";
    }
    return std::string(home) + "/.config/quillstone/registry.reg";
}

std::shared_ptr<RegistryBackend> DefaultRegistryBackend() {
    // One store object per path, so that its cache of the parsed file is shared.
    static std::mutex mutex;
    static std::map<std::string, std::shared_ptr<RegistryBackend>> stores;
    const std::string path = DefaultHivePath();
    std::lock_guard guard(mutex);
    auto& store = stores[path];
    if (!store) {
        store = std::make_shared<HiveFileBackend>(path);
    }
    return store;
}

} // namespace qs
