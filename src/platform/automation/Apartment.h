// The threads' standing with the engine's automation server. On Windows a thread must
// join a COM apartment before it calls the server: the job worker a multithreaded one for
// its whole loop, the main thread a single-threaded one. Elsewhere these do nothing.
#pragma once

namespace qs::automation {

class ThreadApartment {
public:
    enum class Kind { Multi, Single };
#ifdef _WIN32
    explicit ThreadApartment(Kind kind);
    ~ThreadApartment();
#else
    explicit ThreadApartment(Kind) {}
#endif
    ThreadApartment(const ThreadApartment&) = delete;
    ThreadApartment& operator=(const ThreadApartment&) = delete;
    // The thread can call the server (it is in an apartment, this one or one of before).
    bool Usable() const {
        return m_usable;
    }

private:
    bool m_joined = false;
    bool m_usable = true;
};

// Makes the calling thread a single-threaded apartment unless it is in one already; it
// stays one until the thread ends.
#ifdef _WIN32
void EnsureSingleThreadApartment();
#else
inline void EnsureSingleThreadApartment() {}
#endif

} // namespace qs::automation
