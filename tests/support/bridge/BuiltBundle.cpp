#include "MainBundle.h"

#include <gtest/gtest.h>

// Compiled into every test program that links the bridge's test support (an interface source, so the linker
// cannot leave it out): the program reads the bridge resources of the built bundle.

namespace {

class BuiltBundleEnvironment : public ::testing::Environment
{
public:
    void SetUp() override { tavlen::overrideMainBundleDirectory(std::filesystem::path(TAVLEN_BUNDLE_DIR)); }
};

[[maybe_unused]] const auto* const builtBundleEnvironment =
    ::testing::AddGlobalTestEnvironment(new BuiltBundleEnvironment);

} // namespace
