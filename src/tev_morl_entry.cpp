// Installation locator.
#include "tev_morl_entry.h"

#include <cstring>

#include "runtime.h"

// ---------------------------------------------------------------------------
// Directory walk, file tests, platform name and debug level
// ---------------------------------------------------------------------------

// Gates every trace line; raised once by the launcher, never lowered.
static int32_t entry_debug_level = 0;

static const char platform_name[] = "windows64";

const char *get_platform_name(void) { return platform_name; }

int32_t get_debug_level(void) { return entry_debug_level; }

void increase_debug_level(void) { ++entry_debug_level; }

// A mode with both bits, or neither, is neither kind.
static int32_t has_file_kind(const char *path, unsigned kind) {
  unsigned mode = 0;
  if (!path || rt_stat_mode(path, &mode) != 0)
    return 0;
  return (mode & (RT_MODE_DIR | RT_MODE_REG)) == kind;
}

int32_t is_directory(const char *path) { return has_file_kind(path, RT_MODE_DIR); }

int32_t is_regular_file(const char *path) { return has_file_kind(path, RT_MODE_REG); }

// Puts name in place of the last component, then one level higher each time,
// until that names a directory. On failure the path is left as the last cut
// made it.
char *find_ancestor_dir(char *path, const char *name, int32_t levels) {
  if (!path || !name || levels < 0)
    return nullptr;
  const size_t name_len = strlen(name);
  if (levels == 0)
    return nullptr;

  for (int32_t tested = 0;;) {
    char *slash = strrchr(path, '/');
    if (!slash)
      return nullptr;
    // The candidate and its NUL must fit in a path buffer.
    if ((size_t)(slash - path) + name_len + 2 > TEV_MORL_ENTRY_MAX_PATH)
      return nullptr;
    memcpy(slash + 1, name, name_len + 1);
    if (is_directory(path))
      return path;
    *slash = '\0';
    if (++tested >= levels)
      return nullptr;
  }
}

// ---------------------------------------------------------------------------
// Command-line argument quoting
// ---------------------------------------------------------------------------

// Writes the quoted body to out, or only counts it when out is null. Embedded
// quotes always become \" (never ""), which the old and the new Microsoft
// parsers read alike.
static size_t quote_body(const char *arg, char *out) {
  size_t n = 0;
  const char *p = arg;
  while (*p) {
    if (*p == '\\') {
      const char *run = p;
      while (*p == '\\')
        ++p;
      size_t count = (size_t)(p - run);
      // Backslashes are escapes only before a quote, ours included.
      if (*p == '"' || *p == '\0')
        count *= 2;
      if (out)
        memset(out + n, '\\', count);
      n += count;
    } else if (*p == '"') {
      if (out) {
        out[n] = '\\';
        out[n + 1] = '"';
      }
      n += 2;
      ++p;
    } else {
      if (out)
        out[n] = *p;
      ++n;
      ++p;
    }
  }
  return n;
}

char *quote_argument(const char *arg, void *(*alloc)(size_t)) {
  if (!arg || !alloc)
    return nullptr;
  const size_t body = quote_body(arg, nullptr);
  char *quoted = (char *)alloc(body + 3);
  if (!quoted)
    return nullptr;
  quoted[0] = '"';
  quote_body(arg, quoted + 1);
  quoted[body + 1] = '"';
  quoted[body + 2] = '\0';
  return quoted;
}
