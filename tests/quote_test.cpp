#include <gtest/gtest.h>
#include <cstdlib>
#include "tev_morl_entry.h"
TEST(Quote, Stub) { char *q = quote_argument("a b", malloc); EXPECT_STREQ(q, "\"a b\""); free(q); }
