#pragma once

namespace tavlen {

// How Tavlen presents itself: regular shows the main window (and its taskbar entry), accessory lives in the tray
// only.
enum class ActivationPolicy
{
    regular,
    accessory,
};

} // namespace tavlen
