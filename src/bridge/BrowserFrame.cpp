#include "BrowserFrame.h"

#include <cstring>
#include <utility>

namespace tavlen {

BrowserFrame::BrowserFrame(std::string bytes)
    : m_text(std::move(bytes))
    , m_size(m_text.size())
{}

BrowserFrame::BrowserFrame(BrowserFrame&& other) noexcept
    : m_text(std::move(other.m_text))
    , m_buffer(std::move(other.m_buffer))
    , m_capacity(std::exchange(other.m_capacity, 0))
    , m_size(std::exchange(other.m_size, 0))
    , m_home(std::move(other.m_home))
{}

BrowserFrame& BrowserFrame::operator=(BrowserFrame&& other) noexcept
{
    if (this != &other) {
        release();
        m_text = std::move(other.m_text);
        m_buffer = std::move(other.m_buffer);
        m_capacity = std::exchange(other.m_capacity, 0);
        m_size = std::exchange(other.m_size, 0);
        m_home = std::move(other.m_home);
    }
    return *this;
}

BrowserFrame::~BrowserFrame()
{
    release();
}

BrowserFrame BrowserFrame::withCapacity(std::size_t size, const std::shared_ptr<BrowserFrameBuffers>& buffers)
{
    BrowserFrame frame;
    const std::size_t capacity = size + padding;
    if (buffers) {
        frame.m_buffer = buffers->take(capacity, frame.m_capacity);
        frame.m_home = buffers;
    } else {
        frame.m_buffer.reset(new char[capacity]);
        frame.m_capacity = capacity;
    }
    frame.m_size = size;
    // Only the padding is cleared: the body is about to be overwritten, and clearing megabytes per frame is
    // what made every read touch fresh pages.
    std::memset(frame.m_buffer.get() + size, 0, padding);
    return frame;
}

void BrowserFrame::release()
{
    if (m_buffer && m_home) {
        m_home->giveBack(std::move(m_buffer), m_capacity);
    }
    m_buffer.reset();
    m_home.reset();
    m_capacity = 0;
    m_size = 0;
}

std::unique_ptr<char[]> BrowserFrameBuffers::take(std::size_t capacity, std::size_t& actualCapacity)
{
    {
        std::lock_guard guard(m_lock);
        if (m_spare && m_spareCapacity >= capacity) {
            actualCapacity = m_spareCapacity;
            m_spareCapacity = 0;
            return std::move(m_spare);
        }
    }
    actualCapacity = capacity;
    return std::unique_ptr<char[]>(new char[capacity]); // not value-initialised: no zero fill
}

void BrowserFrameBuffers::giveBack(std::unique_ptr<char[]> buffer, std::size_t capacity)
{
    std::unique_ptr<char[]> dropped;
    std::lock_guard guard(m_lock);
    if (!m_spare || m_spareCapacity < capacity) {
        dropped = std::move(m_spare); // freed after the lock is released, with the guard's scope
        m_spare = std::move(buffer);
        m_spareCapacity = capacity;
    }
}

} // namespace tavlen
