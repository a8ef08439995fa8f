// Placeholder until the first services test lands; delete it then.
#include <gtest/gtest.h>
TEST(ServicesPlaceholder, Builds) { SUCCEED(); }
