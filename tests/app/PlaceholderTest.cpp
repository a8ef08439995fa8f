// Placeholder until the first app test lands; delete it then.
#include <gtest/gtest.h>
TEST(AppPlaceholder, Builds) { SUCCEED(); }
