// Settings values under one base key of the user's registry, read with a default that is
// written back when the value is missing.
#pragma once

#include "platform/registry/Registry.h"

namespace qs {

class TRegistrySettings {
public:
    explicit TRegistrySettings(std::shared_ptr<RegistryBackend> backend = DefaultRegistryBackend());

    RootKey GetRootKey() const { return m_registry->GetRootKey(); }
    void SetRootKey(RootKey root) { m_registry->SetRootKey(root); }
    const std::string& BaseKey() const { return m_baseKey; }
    // Always ends in a backslash; one is appended when missing.
    void SetBaseKey(const std::string& key);

    // The value, or "" after writing "" when it is missing. Another type raises the
    // registry's error.
    std::string ReadString(const std::string& section, const std::string& name);
    void WriteString(const std::string& section, const std::string& name, const std::string& text);
    // The value, or 0 after writing 0 when it is missing. Another type raises the
    // registry's error.
    std::int32_t ReadInteger(const std::string& section, const std::string& name);
    void WriteInteger(const std::string& section, const std::string& name, std::int32_t value);

private:
    // Opens BaseKey + section (created when missing) for the life of one call.
    class OpenSection;

    std::unique_ptr<TRegistry> m_registry;
    std::string m_baseKey;
};

} // namespace qs
