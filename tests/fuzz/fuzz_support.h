// Shared by the fuzz targets.
#pragma once

#include <cstdio>
#include <cstdlib>

// Stops the run with the failed condition.
#define require(ok)                                                      \
  do {                                                                   \
    if (!(ok)) {                                                         \
      std::fprintf(stderr, "%s:%d: %s\n", __FILE__, __LINE__, #ok);   \
      std::abort();                                                      \
    }                                                                    \
  } while (0)
