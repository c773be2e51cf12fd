// Sets an environment variable for one test and puts the old value back afterwards.
#pragma once

#include <cstdlib>
#include <optional>
#include <string>

namespace qs::test {

class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : m_name(name) {
        if (const char* old = std::getenv(name)) {
            m_old = old;
        }
        Set(value.c_str());
    }
    ~ScopedEnv() { Set(m_old ? m_old->c_str() : nullptr); }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    void Set(const char* value) {
#ifdef _WIN32
        _putenv_s(m_name.c_str(), value ? value : "");
#else
        value ? ::setenv(m_name.c_str(), value, 1) : ::unsetenv(m_name.c_str());
#endif
    }
    std::string m_name;
    std::optional<std::string> m_old;
};

} // namespace qs::test
