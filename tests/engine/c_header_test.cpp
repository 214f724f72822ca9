#include <gtest/gtest.h>

extern "C" int recodo_c_header_check(void);

TEST(PublicHeader, UsableFromC) { EXPECT_EQ(recodo_c_header_check(), 0); }
