#pragma once
// Shared by the fuzz targets: a check that stops the run (libFuzzer then keeps the input that
// broke it), and a scratch folder for the readers that take a file.
#include <QDir>
#include <QString>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(cond)                                                            \
  do {                                                                              \
    if (!(cond)) {                                                                  \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond); \
      std::abort();                                                                 \
    }                                                                               \
  } while (0)

namespace zelvo::fuzz {

// One folder for the whole run, in memory where the machine has /dev/shm (the readers write
// their files with a sync to disk, which is slow on a real disk).
inline const QString &ScratchFolder() {
  static QTemporaryDir dir(QDir(QStringLiteral("/dev/shm")).exists()
                               ? QStringLiteral("/dev/shm/zelvo-fuzz-XXXXXX")
                               : QDir::tempPath() + QStringLiteral("/zelvo-fuzz-XXXXXX"));
  static const QString path = dir.path();
  if (!dir.isValid()) {
    std::fprintf(stderr, "cannot create a scratch folder\n");
    std::abort();
  }
  return path;
}

}  // namespace zelvo::fuzz
