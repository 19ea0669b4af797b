#include <gtest/gtest.h>

#include "net/primitives.h"

namespace quilbert::net {
namespace {

TEST(ErrorTable, SharedSentencesAndTheCatchAll) {
  EXPECT_EQ(errorMessageNumber(67), errorMessageNumber(53));
  EXPECT_EQ(errorMessageNumber(67), 80);
  EXPECT_EQ(errorMessageNumber(1222), 109);
  EXPECT_EQ(errorMessageNumber(1231), 109);
  EXPECT_EQ(errorMessageNumber(86), 102);
  EXPECT_EQ(errorMessageNumber(1326), 102);
  EXPECT_EQ(errorMessageNumber(85), 101);
  EXPECT_EQ(errorMessageNumber(2401), 83);
  EXPECT_EQ(errorMessageNumber(1216), 103);
  // Unlisted codes between listed ones, and negative ones, get the catch-all.
  EXPECT_EQ(errorMessageNumber(1223), 110);
  EXPECT_EQ(errorMessageNumber(-1), 110);
  EXPECT_EQ(errorMessageNumber(0), -1);
}

TEST(ErrorTable, UserNameFailureDescribesTheCode) {
  const UserNameError e(1222);
  EXPECT_STREQ(e.what(), "Error #1222 occurred during request.");
  EXPECT_EQ(UserNameError::kNumber, -2147221504);
}

}  // namespace
}  // namespace quilbert::net
