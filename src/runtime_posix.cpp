// STUB: to be written.
#include "runtime.h"
#include <cstdarg>
#include <cstdio>
char *rt_fullpath(char *, const char *, size_t) { return nullptr; }
int rt_stat_mode(const char *, unsigned *) { return -1; }
int rt_putenv(const char *) { return -1; }
int rt_spawnv_wait(const char *, const char *const *) { return -1; }
int rt_snprintf(char *buf, size_t size, const char *fmt, ...) { va_list ap; va_start(ap, fmt); int n = vsnprintf(buf, size, fmt, ap); va_end(ap); return n; }
int rt_stricmp(const char *, const char *) { return 0; }
