#pragma once

#include <mutex>

// Recursive, like the lock the live chart and the port manager take again
// from inside their own callbacks.
class CCriticalSection {
public:
    void Lock() { m_m.lock(); }
    void Unlock() { m_m.unlock(); }
    std::recursive_mutex& native() { return m_m; }

private:
    std::recursive_mutex m_m;
};

class CSingleLock {
public:
    explicit CSingleLock(CCriticalSection* cs, bool lockNow = false) : m_cs(cs)
    {
        if (lockNow)
            Lock();
    }
    ~CSingleLock() { Unlock(); }
    void Lock()
    {
        if (m_cs && !m_locked) {
            m_cs->Lock();
            m_locked = true;
        }
    }
    void Unlock()
    {
        if (m_cs && m_locked) {
            m_cs->Unlock();
            m_locked = false;
        }
    }
    CSingleLock(const CSingleLock&) = delete;
    CSingleLock& operator=(const CSingleLock&) = delete;

private:
    CCriticalSection* m_cs;
    bool m_locked = false;
};
