#pragma once

namespace tavlen {

// Keeps the computer from going to sleep on its own while enabled.
class KeepAwakeServicing
{
public:
    virtual ~KeepAwakeServicing() = default;

    // Takes or releases the sleep prevention; asking for the state already in force does nothing. Throws
    // SystemServiceError, leaving the state as it was.
    virtual void setEnabled(bool enabled) = 0;
};

} // namespace tavlen
