#pragma once

#include "BrowserRect.h"
#include "LoopbackHttpServer.h"
#include "RawHttpServer.h"

#include <array>
#include <cstdint>
#include <string>

namespace tavlen::test {

// An opaque colour, 0xRRGGBB.
using Colour = std::uint32_t;

// The pages the end-to-end tests open, served on 127.0.0.1 with a layout fixed in CSS pixels, so a test knows
// where each thing is on the captured page:
// - "/prices.html": a shop's price table; the region below holds the kettle's price "€ 49.90" and, before it
//   in the same cell, prices that are not painted (screen-reader-only, display:none, zero-size, hidden,
//   transparent, inside a closed <details>); the rows around it hold other prices.
// - "/long.html": twelve bands of 1,000 px, one colour each, 12,000 px in all.
// - "/fixed.html": a fixed header over a 3,000 px page with a lazy image far below the fold.
// - "/never.html": a page whose image never arrives, so its load event never comes.
class TestPages
{
public:
    static constexpr int bandHeight = 1000;
    static constexpr std::array<Colour, 12> bandColours = {0xE6194B,
                                                           0x3CB44B,
                                                           0xFFE119,
                                                           0x4363D8,
                                                           0xF58231,
                                                           0x911EB4,
                                                           0x46F0F0,
                                                           0xF032E6,
                                                           0xBCF60C,
                                                           0xFABEBE,
                                                           0x008080,
                                                           0xE6BEFF};
    static constexpr double kettlePrice = 49.90;
    // The kettle's price cell, a little inside its borders.
    static constexpr BrowserRect kettlePriceRegion{305, 185, 190, 30};

    static constexpr Colour headerColour = 0x1F3A93;
    static constexpr int headerHeight = 80;
    static constexpr Colour pageColour = 0xF4F1E8;
    static constexpr int fixedPageHeight = 3000;
    static constexpr Colour lazyImageColour = 0x2E8B57;
    static constexpr BrowserRect lazyImageBox{100, 2400, 200, 200};

    TestPages();

    // http://127.0.0.1:<port><path>
    std::string url(const std::string& path) const;

    // Requests for the image that never arrives.
    std::size_t hangingRequests() const { return m_hanging.requestCount(); }

private:
    RawHttpServer m_hanging;
    LoopbackHttpServer m_server;
};

} // namespace tavlen::test
