// Test programs that draw run on the headless window whatever display the
// machine has; a test that wants the display probe configures the window itself.
#include "qwin/qwin.h"

#include <gtest/gtest.h>

namespace {

struct HeadlessWindow : ::testing::Environment {
    void SetUp() override { configureWindow(WindowSettings{true}); }
};

const ::testing::Environment* const headless = ::testing::AddGlobalTestEnvironment(new HeadlessWindow);

}  // namespace
