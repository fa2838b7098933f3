#include "echo_status.h"

#include <gtest/gtest.h>

namespace halvex {
namespace {

TEST(StatusText, GivesTheTableTextPaddedTo24) {
  EXPECT_EQ(statusText(0), "Success                 ");
  EXPECT_EQ(statusText(-1), "Bad IP format           ");
  EXPECT_EQ(statusText(11001), "Buffer too small        ");
  EXPECT_EQ(statusText(11003), "Dest host unreachable   ");
  EXPECT_EQ(statusText(11010), "Req timed out           ");
  EXPECT_EQ(statusText(11014), "TTL expired reassem     ");
  EXPECT_EQ(statusText(11023), "Addr added              ");
  EXPECT_EQ(statusText(11050), "General failure         ");
  EXPECT_EQ(statusText(11255), "Pending                 ");
  EXPECT_EQ(statusText(3000), "Ping timeout            ");
}

TEST(StatusText, UnknownCodesNameTheCode) {
  EXPECT_EQ(statusText(11000), "Unknown Err 11000       ");
  EXPECT_EQ(statusText(11024), "Unknown Err 11024       ");
  EXPECT_EQ(statusText(-7), "Unknown Err -7          ");
  EXPECT_EQ(statusText(-2147483647 - 1), "Unknown Err -2147483648 ");
}

}  // namespace
}  // namespace halvex
