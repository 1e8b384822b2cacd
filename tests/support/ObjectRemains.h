#pragma once

#include <cstring>
#include <new>
#include <utility>

namespace tavlen::test {

// Room for one object that a test destroys while work referring to it still runs. The destroyed object's bytes
// stay as they were, so work that wrongly went on would find the values it expects and act on them;
// touchedSinceDestroyed() then tells, without sanitizers, whether anything wrote to the object after its end.
template <class T> class ObjectRemains
{
public:
    template <class... Args> explicit ObjectRemains(Args&&... args) { new (m_bytes) T(std::forward<Args>(args)...); }

    ~ObjectRemains()
    {
        if (!m_destroyed) {
            object().~T();
        }
    }

    ObjectRemains(const ObjectRemains&) = delete;
    ObjectRemains& operator=(const ObjectRemains&) = delete;

    T* operator->() { return &object(); }

    void destroy()
    {
        object().~T();
        m_destroyed = true;
        std::memcpy(m_remains, m_bytes, sizeof m_bytes);
    }

    bool touchedSinceDestroyed() const { return std::memcmp(m_remains, m_bytes, sizeof m_bytes) != 0; }

private:
    T& object() { return *std::launder(reinterpret_cast<T*>(m_bytes)); }

    alignas(T) unsigned char m_bytes[sizeof(T)];
    unsigned char m_remains[sizeof(T)] = {};
    bool m_destroyed = false;
};

} // namespace tavlen::test
