#pragma once

#include <cstddef>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

namespace tavlen {

class BrowserFrameBuffers;

// The body of one frame: the bytes of one JSON message.
//
// A frame read from a descriptor lies in a buffer followed by `padding` zeroed bytes, so the block-wise JSON parser
// of received frames (simdjson) reads it where it lies. The buffer belongs to the channel that read the frame: when
// the frame is destroyed its buffer goes back there, so a channel reads frame after frame into one buffer, grown to
// the largest frame, never zero-filled; a frame that is handed on (the host relays it) takes the buffer along and
// is written from it, and brings it back when the write is done.
//
// A frame built in memory (a message about to be sent) holds its string and has no padding. Move-only.
class BrowserFrame
{
public:
    // Bytes readable behind the body of a padded frame; what simdjson needs (SIMDJSON_PADDING).
    static constexpr std::size_t padding = 64;

    BrowserFrame() = default;
    // A frame of bytes built in memory. Implicit, so a std::string can be sent as it is.
    BrowserFrame(std::string bytes);
    BrowserFrame(BrowserFrame&& other) noexcept;
    BrowserFrame& operator=(BrowserFrame&& other) noexcept;
    BrowserFrame(const BrowserFrame&) = delete;
    BrowserFrame& operator=(const BrowserFrame&) = delete;
    ~BrowserFrame();

    // A frame of `size` bytes in a buffer taken from `buffers` (a fresh one when null), its padding zeroed and its
    // body left for the caller to fill: the reading side of readFrame.
    static BrowserFrame withCapacity(std::size_t size, const std::shared_ptr<BrowserFrameBuffers>& buffers);

    std::string_view bytes() const { return {data(), m_size}; }

    const char* data() const { return m_buffer ? m_buffer.get() : m_text.data(); }

    char* writableData() { return m_buffer ? m_buffer.get() : m_text.data(); }

    std::size_t size() const { return m_size; }

    bool empty() const { return m_size == 0; }

    // True when `padding` zeroed bytes follow the body.
    bool isPadded() const { return m_buffer != nullptr; }

    // Frames are equal to bytes by content.
    friend bool operator==(const BrowserFrame& frame, std::string_view bytes) { return frame.bytes() == bytes; }

private:
    void release();

    std::string m_text;                          // a frame built in memory
    std::unique_ptr<char[]> m_buffer;            // a frame read into a padded buffer
    std::size_t m_capacity = 0;                  // bytes of m_buffer
    std::size_t m_size = 0;                      // bytes of the body
    std::shared_ptr<BrowserFrameBuffers> m_home; // where m_buffer goes back to
};

// The buffers of one channel's reader: at most one spare buffer, kept at its largest size. Thread-safe, so a
// frame may come back from whichever thread ends its life.
class BrowserFrameBuffers
{
public:
    static std::shared_ptr<BrowserFrameBuffers> make() { return std::make_shared<BrowserFrameBuffers>(); }

    // The spare buffer when it holds at least `capacity` bytes; otherwise a new, uninitialised one.
    std::unique_ptr<char[]> take(std::size_t capacity, std::size_t& actualCapacity);
    // Keeps the buffer as the spare unless a spare at least as large is already kept.
    void giveBack(std::unique_ptr<char[]> buffer, std::size_t capacity);

private:
    std::mutex m_lock;
    std::unique_ptr<char[]> m_spare;
    std::size_t m_spareCapacity = 0;
};

} // namespace tavlen
