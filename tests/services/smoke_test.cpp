#include "common/test_support.h"
#include "factory/cFactory.h"

TEST(Smoke, Builds) { vemo::cFactory f; (void)f; }
