// Opens the executables, then moves the whole test program into private
// mount and network namespaces.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "process/service_process.h"
#include "process/service_sandbox.h"
#include "process/service_test.h"
#include "process/stand_in_process.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  // Listing the tests (as the build does) needs no sandbox.
  if (!::testing::GTEST_FLAG(list_tests)) {
    using tool::testing::ServiceProcess;
    tool::testing::skyletExecutable =
        ServiceProcess::OpenExecutable(SKYLET_PATH);
    tool::testing::wattletExecutable =
        ServiceProcess::OpenExecutable(WATTLET_PATH);
    tool::testing::standInExecutable =
        ServiceProcess::OpenExecutable(STAND_IN_PATH);
    if (tool::testing::skyletExecutable < 0 ||
        tool::testing::wattletExecutable < 0 ||
        tool::testing::standInExecutable < 0) {
      std::fprintf(stderr, "cannot open %s, %s or %s\n", SKYLET_PATH,
                   WATTLET_PATH, STAND_IN_PATH);
      return 1;
    }
    std::string error;
    if (!tool::testing::ServiceSandbox::EnterPrivateNamespaces(&error)) {
      std::fprintf(stderr, "process tests need root: %s\n", error.c_str());
      return 1;
    }
  }
  return RUN_ALL_TESTS();
}
