#include "WireFuzzing.h"

#include "MainBundle.h"

#include <cstring>

namespace tavlen::fuzz {

const BrowserWireValidator& bundleValidator()
{
    static const BrowserWireValidator validator = [] {
        overrideMainBundleDirectory(std::filesystem::path(TAVLEN_BUNDLE_DIR));
        return BrowserWireValidator::load();
    }();
    return validator;
}

BrowserFrame receivedFrame(std::string_view bytes)
{
    BrowserFrame frame = BrowserFrame::withCapacity(bytes.size(), nullptr);
    if (!bytes.empty()) {
        std::memcpy(frame.writableData(), bytes.data(), bytes.size());
    }
    return frame;
}

} // namespace tavlen::fuzz
