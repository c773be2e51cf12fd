// Sets an environment variable for one test and puts the old value back afterwards.
#pragma once

#include <cstdlib>
#include <optional>
#include <string>

#ifdef _WIN32
#include "platform/WinText.h"
#endif

namespace qs::test {

class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : m_name(name) {
#ifdef _WIN32
        if (const wchar_t* old = ::_wgetenv(Widen(m_name).c_str())) {
            m_old = Narrow(old);
        }
#else
        if (const char* old = std::getenv(name)) {
            m_old = old;
        }
#endif
        Set(value.c_str());
    }
    ~ScopedEnv() { Set(m_old ? m_old->c_str() : nullptr); }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    void Set(const char* value) {
#ifdef _WIN32
        // Values are UTF-8; the narrow call would read them in the ANSI code page.
        ::_wputenv_s(Widen(m_name).c_str(), Widen(value ? value : "").c_str());
#else
        value ? ::setenv(m_name.c_str(), value, 1) : ::unsetenv(m_name.c_str());
#endif
    }
    std::string m_name;
    std::optional<std::string> m_old;
};

} // namespace qs::test
