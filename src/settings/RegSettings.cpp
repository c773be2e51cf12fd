#include "settings/RegSettings.h"

namespace qs {

class TRegistrySettings::OpenSection {
public:
    OpenSection(TRegistry& reg, const std::string& key, bool forWriting) : m_reg(reg) {
        m_open = reg.OpenKey(key, true) || reg.OpenKeyReadOnly(key);
        if (!m_open && forWriting) {
            throw ERegistryException("Failed to create key " + key);
        }
    }
    ~OpenSection() { m_reg.CloseKey(); }
    OpenSection(const OpenSection&) = delete;
    OpenSection& operator=(const OpenSection&) = delete;
    bool IsOpen() const { return m_open; }

private:
    TRegistry& m_reg;
    bool m_open = false;
};

TRegistrySettings::TRegistrySettings(std::shared_ptr<RegistryBackend> backend)
    : m_registry(std::make_unique<TRegistry>(std::move(backend))) {}

void TRegistrySettings::SetBaseKey(const std::string& key) {
    m_baseKey = key;
    if (m_baseKey.empty() || m_baseKey.back() != '\\') {
        m_baseKey += '\\';
    }
}

std::string TRegistrySettings::ReadString(const std::string& section, const std::string& name) {
    OpenSection open(*m_registry, m_baseKey + section, false);
    if (!open.IsOpen()) {
        return {};
    }
    if (m_registry->ValueExists(name)) {
        return m_registry->ReadString(name);
    }
    // Storing the default is a courtesy; a store that cannot take it must not make the
    // read itself fail.
    try {
        m_registry->WriteString(name, {});
    } catch (const ERegistryException&) {
    }
    return {};
}

void TRegistrySettings::WriteString(const std::string& section, const std::string& name,
                                    const std::string& text) {
    OpenSection open(*m_registry, m_baseKey + section, true);
    m_registry->WriteString(name, text);
}

std::int32_t TRegistrySettings::ReadInteger(const std::string& section, const std::string& name) {
    OpenSection open(*m_registry, m_baseKey + section, false);
    if (!open.IsOpen()) {
        return 0;
    }
    if (m_registry->ValueExists(name)) {
        return m_registry->ReadInteger(name);
    }
    try {
        m_registry->WriteInteger(name, 0);
    } catch (const ERegistryException&) {
    }
    return 0;
}

void TRegistrySettings::WriteInteger(const std::string& section, const std::string& name,
                                     std::int32_t value) {
    OpenSection open(*m_registry, m_baseKey + section, true);
    m_registry->WriteInteger(name, value);
}

} // namespace qs
