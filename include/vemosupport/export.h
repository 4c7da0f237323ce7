#pragma once

// Marks what the shared library exports. The library is built with hidden visibility,
// so everything else in it stays private to it.
#define VEMO_EXPORT __attribute__((visibility("default")))
