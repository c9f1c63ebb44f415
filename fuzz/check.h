// What the fuzz targets use to report a broken property: a message and abort(), which libFuzzer
// turns into a saved crash input.
#ifndef TARVO_FUZZ_CHECK_H
#define TARVO_FUZZ_CHECK_H

#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(condition, message)                                                    \
  do {                                                                                    \
    if (!(condition)) {                                                                   \
      std::fprintf(stderr, "%s:%d: %s: %s\n", __FILE__, __LINE__, #condition, (message)); \
      std::abort();                                                                       \
    }                                                                                     \
  } while (false)

#endif  // TARVO_FUZZ_CHECK_H
