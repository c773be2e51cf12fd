#include "platform/registry/Registry.h"

#include "platform/registry/Hive.h"

namespace qs {

namespace {

std::string JoinPath(std::string_view base, std::string_view rest) {
    std::string out;
    for (std::string_view part : SplitRegistryPath(base)) {
        out += (out.empty() ? "" : "\\") + std::string(part);
    }
    for (std::string_view part : SplitRegistryPath(rest)) {
        out += (out.empty() ? "" : "\\") + std::string(part);
    }
    return out;
}

} // namespace

TRegistry::TRegistry(std::shared_ptr<RegistryBackend> backend) : m_backend(std::move(backend)) {}

void TRegistry::SetRootKey(RootKey root) {
    CloseKey();
    m_root = root;
}

std::string TRegistry::Resolve(const std::string& key) const {
    const bool absolute = !key.empty() && key.front() == '\\';
    return JoinPath(absolute || !m_open ? std::string_view{} : m_currentPath, key);
}

bool TRegistry::OpenKey(const std::string& key, bool canCreate) {
    const std::string path = Resolve(key);
    const bool ok =
        canCreate ? m_backend->CreateKey(m_root, path) : m_backend->KeyExists(m_root, path);
    if (ok) {
        m_currentPath = path;
        m_open = true;
    }
    return ok;
}

bool TRegistry::OpenKeyReadOnly(const std::string& key) {
    return OpenKey(key, false);
}

void TRegistry::CloseKey() {
    m_open = false;
    m_currentPath.clear();
}

void TRegistry::CreateKey(const std::string& key) {
    if (!m_backend->CreateKey(m_root, Resolve(key))) {
        throw ERegistryException("Failed to create key " + key);
    }
}

bool TRegistry::DeleteKey(const std::string& key) {
    return m_backend->DeleteKey(m_root, Resolve(key));
}

bool TRegistry::KeyExists(const std::string& key) {
    return m_backend->KeyExists(m_root, Resolve(key));
}

std::vector<std::string> TRegistry::GetKeyNames() {
    return m_backend->SubKeys(m_root, m_currentPath);
}

std::vector<std::string> TRegistry::GetValueNames() {
    return m_backend->ValueNames(m_root, m_currentPath);
}

bool TRegistry::ValueExists(const std::string& name) {
    return m_backend->ReadValue(m_root, m_currentPath, name).has_value();
}

std::string TRegistry::ReadString(const std::string& name) {
    const auto value = m_backend->ReadValue(m_root, m_currentPath, name);
    if (!value) {
        return {};
    }
    if (value->type != RegistryValue::Type::String) {
        throw ERegistryException("Invalid data type for '" + name + "'");
    }
    return value->text;
}

std::int32_t TRegistry::ReadInteger(const std::string& name) {
    const auto value = m_backend->ReadValue(m_root, m_currentPath, name);
    if (!value) {
        throw ERegistryException("Failed to get data for '" + name + "'");
    }
    if (value->type != RegistryValue::Type::Integer) {
        throw ERegistryException("Invalid data type for '" + name + "'");
    }
    return value->number;
}

void TRegistry::Write(const std::string& name, const RegistryValue& value) {
    if (!m_backend->WriteValue(m_root, m_currentPath, name, value)) {
        throw ERegistryException("Failed to set data for '" + name + "'");
    }
}

void TRegistry::WriteString(const std::string& name, const std::string& value) {
    Write(name, RegistryValue::FromString(value));
}

void TRegistry::WriteInteger(const std::string& name, std::int32_t value) {
    Write(name, RegistryValue::FromInteger(value));
}

bool TRegistry::DeleteValue(const std::string& name) {
    return m_backend->DeleteValue(m_root, m_currentPath, name);
}

} // namespace qs
