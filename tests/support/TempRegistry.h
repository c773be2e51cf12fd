// A private registry for one test: a hive file on Linux, a key of its own below
// HKEY_CURRENT_USER\Software\Quillstone-test in the real registry on Windows.
#pragma once

#include "platform/registry/Registry.h"
#include "support/TempDir.h"

#ifdef _WIN32
#include "platform/registry/WinRegistryBackend.h"

#include <atomic>
#include <windows.h>
#else
#include "platform/registry/HiveFileBackend.h"
#endif

namespace qs::test {

#ifdef _WIN32
inline constexpr const char* kTestRegistryKey = "Software\\Quillstone-test";

// A key name no other test process uses at the same time.
inline std::string UniqueTestKey() {
    static std::atomic<int> counter{0};
    return std::string(kTestRegistryKey) + "\\" + std::to_string(::GetCurrentProcessId()) + "-" +
           std::to_string(++counter);
}
#endif

struct TempRegistry {
#ifdef _WIN32
    std::string base = UniqueTestKey();
    std::shared_ptr<WinRegistryBackend> store = std::make_shared<WinRegistryBackend>(base);

    TempRegistry() = default;
    TempRegistry(const TempRegistry&) = delete;
    TempRegistry& operator=(const TempRegistry&) = delete;
    ~TempRegistry() {
        WinRegistryBackend().DeleteKey(RootKey::CurrentUser, base);
        // The shared parent goes with the last test's key; while others remain, it stays.
        ::RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Quillstone-test");
    }
#else
    TempDir dir;
    std::string path = (dir / "registry.reg").string();
    std::shared_ptr<HiveFileBackend> store = std::make_shared<HiveFileBackend>(path);
#endif

    std::optional<RegistryValue> Value(const std::string& key, const std::string& name) {
        return store->ReadValue(RootKey::CurrentUser, key, name);
    }
    void Put(const std::string& key, const std::string& name, const RegistryValue& value) {
        store->CreateKey(RootKey::CurrentUser, key);
        store->WriteValue(RootKey::CurrentUser, key, name, value);
    }
};

} // namespace qs::test
