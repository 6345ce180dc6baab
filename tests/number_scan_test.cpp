#include "number_scan.hpp"
#include <gtest/gtest.h>
TEST(placeholder, builds) {}
