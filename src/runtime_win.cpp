// The runtime seam on Windows: straight to the Microsoft C runtime.
#include "runtime.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <process.h>
#include <sys/stat.h>

char *rt_fullpath(char *out, const char *path, size_t size) {
  if (!out || !path)
    return nullptr;
  return _fullpath(out, path, size);
}

int rt_stat_mode(const char *path, unsigned *mode) {
  if (!path || !mode)
    return -1;
  struct _stat64i32 st;
  if (_stat64i32(path, &st) != 0)
    return -1;
  *mode = (unsigned)st.st_mode & (RT_MODE_DIR | RT_MODE_REG);
  return 0;
}

int rt_putenv(const char *assignment) {
  if (!assignment)
    return -1;
  return _putenv(assignment);
}

int rt_spawnv_wait(const char *path, const char *const *argv) {
  if (!path || !argv)
    return -1;
  return (int)_spawnv(_P_WAIT, path, argv);
}

int rt_system(const char *command) {
  if (!command)
    return system(nullptr);
  const std::string line = "\"" + std::string(command) + "\"";
  return system(line.c_str());
}

// _vsnprintf, not vsnprintf: MinGW may route the latter to its own C99
// version, which terminates and returns the full length.
int rt_snprintf(char *buf, size_t size, const char *fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  const int written = _vsnprintf(buf, size, fmt, ap);
  va_end(ap);
  return written;
}

int rt_stricmp(const char *a, const char *b) { return _stricmp(a, b); }
