#include <gtest/gtest.h>
TEST(smoke_test, runs) { EXPECT_EQ(2, 1 + 1); }
