#include "format_value.hpp"
#include <gtest/gtest.h>
TEST(format_value, placeholder) {}
