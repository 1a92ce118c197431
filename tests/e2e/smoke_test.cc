#include <gtest/gtest.h>

#include "e2e/harness.h"

namespace qvmin::e2e {
namespace {

TEST(Smoke, NoArgumentsAsksForTheList) {
  ScratchDir dir;
  RunResult run = runQvmin(dir.path(), {});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, banner() + "The \"/sflfp sourceFilesListFilePath\" option & parameter must be supplied!\n\nHELP: qvmin /?\n");
  EXPECT_EQ(run.err, "");
}

}  // namespace
}  // namespace qvmin::e2e
