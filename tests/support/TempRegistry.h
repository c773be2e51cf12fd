// A private hive file for one test.
#pragma once

#include "platform/registry/HiveFileBackend.h"
#include "platform/registry/Registry.h"
#include "support/TempDir.h"

namespace qs::test {

struct TempRegistry {
    TempDir dir;
    std::string path = (dir / "registry.reg").string();
    std::shared_ptr<HiveFileBackend> store = std::make_shared<HiveFileBackend>(path);

    std::optional<RegistryValue> Value(const std::string& key, const std::string& name) {
        return store->ReadValue(RootKey::CurrentUser, key, name);
    }
    void Put(const std::string& key, const std::string& name, const RegistryValue& value) {
        store->CreateKey(RootKey::CurrentUser, key);
        store->WriteValue(RootKey::CurrentUser, key, name, value);
    }
};

} // namespace qs::test
