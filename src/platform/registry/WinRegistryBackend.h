// The real Windows registry, reached through its wide API with UTF-8 names and texts.
#pragma once

#include "platform/registry/RegistryBackend.h"

namespace qs {

class WinRegistryBackend final : public RegistryBackend {
public:
    // With an empty `base` the roots are HKEY_CURRENT_USER and HKEY_CLASSES_ROOT. Otherwise
    // both live below HKEY_CURRENT_USER\<base>\<root name>, so that a test can work in a
    // private key and remove it whole.
    explicit WinRegistryBackend(std::string base = {});

    bool KeyExists(RootKey root, const std::string& path) override;
    bool CreateKey(RootKey root, const std::string& path) override;
    bool DeleteKey(RootKey root, const std::string& path) override;
    std::vector<std::string> SubKeys(RootKey root, const std::string& path) override;
    std::vector<std::string> ValueNames(RootKey root, const std::string& path) override;
    std::optional<RegistryValue> ReadValue(RootKey root, const std::string& path,
                                           const std::string& name) override;
    bool WriteValue(RootKey root, const std::string& path, const std::string& name,
                    const RegistryValue& value) override;
    bool DeleteValue(RootKey root, const std::string& path, const std::string& name) override;

private:
    std::string m_base;
};

} // namespace qs
