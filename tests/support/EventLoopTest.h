#pragma once

#include "BoundedWait.h"

#include <gtest/gtest.h>

namespace tavlen::test {

// A fixture for tests that run coroutines on the event loop: its teardown destroys what deleteLater left behind
// in the nested loops of bounded waits.
class EventLoopTest : public testing::Test
{
protected:
    void TearDown() override { flushDeferredDeletes(); }
};

} // namespace tavlen::test
