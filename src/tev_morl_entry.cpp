// Installation locator.
#include "tev_morl_entry.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
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

// ---------------------------------------------------------------------------
// Tracing, assertions and the failure path
// ---------------------------------------------------------------------------

// Every diagnostic goes to standard output, so the locator's assertions print
// there too instead of on assert's standard error.
#define LOCATOR_ASSERT(expr) ((expr) ? (void)0 : assertion_failed(#expr, __FILE__, __LINE__))

[[noreturn]] static void assertion_failed(const char *expr, const char *file, int line) {
  printf("Assertion failed: %s, file %s, line %d\n", expr, file, line);
  fflush(stdout);
  abort();
}

// Functions with path buffers keep frames of their own, so that only the
// buffers of the steps under way are on the stack of a nested query.
#if defined(__GNUC__)
#define LOCATOR_OWN_FRAME __attribute__((noinline))
#define LOCATOR_PRINTF_LIKE __attribute__((format(printf, 1, 2)))
#else
#define LOCATOR_OWN_FRAME
#define LOCATOR_PRINTF_LIKE
#endif

LOCATOR_PRINTF_LIKE static void trace(const char *fmt, ...) {
  if (!get_debug_level())
    return;
  va_list ap;
  va_start(ap, fmt);
  vprintf(fmt, ap);
  va_end(ap);
}

// Appends at most what a path buffer still holds, so buf never exceeds 4095
// characters.
static void append_to_path(char *buf, const char *suffix) {
  strncat(buf, suffix, TEV_MORL_ENTRY_MAX_PATH - 1 - strlen(buf));
}

// One failing level: its message to the callback, then the emptied buffer. A
// buffer stated as 0 bytes long is not written.
static char *report_failure(char *buf, uint64_t size, tev_morl_entry_error_fn cb, void *user,
                            const char *msg) {
  if (cb)
    cb(msg, user);
  if (buf && size > 0)
    buf[0] = '\0';
  return nullptr;
}

// ---------------------------------------------------------------------------
// Executable search and absolute paths
// ---------------------------------------------------------------------------

char *get_absolute_path(const char *path, char *out) {
  if (!path || !out)
    return nullptr;
  if (!rt_fullpath(out, path, TEV_MORL_ENTRY_MAX_PATH))
    return nullptr;
  for (char *p = out; *p; ++p) {
    if (*p == '\\')
      *p = '/';
  }
  return out;
}

// The name itself, then the name below each ';'-separated PATH entry taken
// verbatim. Candidates along PATH reach out only when one is a regular file.
void search_executable_in_path(const char **my_executable_ptr, char *out, size_t len) {
  const char *name = *my_executable_ptr;
  if (get_absolute_path(name, out)) {
    if (is_regular_file(out)) {
      trace("found it right away\n");
      *my_executable_ptr = out;
      return;
    }
  } else {
    // Callers read the buffer back after a failed search.
    out[0] = '\0';
  }

  const char *path_list = getenv("PATH");
  trace(" PATH is '%s'\n", path_list ? path_list : "(unset)");
  if (!path_list)
    return;

  const size_t name_len = strlen(name);
  char try_path[TEV_MORL_ENTRY_MAX_PATH];
  for (const char *entry = path_list; *entry;) {
    const char *separator = strchr(entry, ';');
    const size_t entry_len = separator ? (size_t)(separator - entry) : strlen(entry);
    if (entry_len < TEV_MORL_ENTRY_MAX_PATH) {
      memcpy(try_path, entry, entry_len);
      try_path[entry_len] = '\0';
      trace(" component '%s'\n", try_path);
    }
    // An entry too long for the whole candidate is passed over.
    if (entry_len + 1 + name_len <= TEV_MORL_ENTRY_MAX_PATH - 1) {
      try_path[entry_len] = '/';
      memcpy(try_path + entry_len + 1, name, name_len + 1);
      trace(" looking at '%s'\n", try_path);
      if (is_regular_file(try_path)) {
        LOCATOR_ASSERT(strlen(try_path) < len);
        memcpy(out, try_path, strlen(try_path) + 1);
        *my_executable_ptr = out;
        return;
      }
    }
    if (!separator)
      return;
    entry = separator + 1;
  }
}

// After a failed search *my_executable_ptr still points to the name as passed.
void locate_executable(const char **my_executable_ptr, char *out, size_t len) {
  search_executable_in_path(my_executable_ptr, out, len);
  if (*my_executable_ptr == out)
    return;

  const char *name = *my_executable_ptr;
  const char *dot = strrchr(name, '.');
  if (dot && rt_stricmp(dot, ".exe") == 0)
    return;

  char exe_name[TEV_MORL_ENTRY_MAX_PATH];
  // Callers keep names to 4091 characters; a longer one gets no second try
  // rather than an unterminated name.
  if (!rt_fits(rt_snprintf(exe_name, sizeof exe_name, "%s.exe", name), sizeof exe_name))
    return;
  const char *exe_ptr = exe_name;
  search_executable_in_path(&exe_ptr, out, len);
  if (exe_ptr == out)
    *my_executable_ptr = out;
}

// ---------------------------------------------------------------------------
// Locator query and SDK requests
// ---------------------------------------------------------------------------

// What every branch of one query works with. exe is the working name: the
// resolved executable when the search found it, else the name as passed.
struct query_args {
  const char *exe;
  const char *resolved;
  char *buf;
  uint64_t size;
  tev_morl_entry_error_fn cb;
  void *user;
};

static char *fail(const query_args *q, const char *msg) {
  return report_failure(q->buf, q->size, q->cb, q->user, msg);
}

static const char *find_self(const query_args *q) {
  trace("finding: SELF %p\n", (void *)q->buf);
  if (!get_absolute_path(q->exe, q->buf)) {
    trace("finding: SELF --> fail\n");
    return fail(q, "Could not resolve absolute path to command");
  }
  trace("finding: SELF --> %p %s\n", (void *)q->buf, q->buf);
  return q->buf;
}

// The SDK root: the first of the executable's directory and its next five
// ancestors that holds a directory "share".
static const char *find_sdk_root(const query_args *q) {
  trace("finding: SDK %p\n", (void *)q->buf);
  if (!get_absolute_path(q->exe, q->buf))
    return fail(q, "Could not resolve absolute path to command");
  if (!find_ancestor_dir(q->buf, "share", 6))
    return fail(q,
                "Could not find root directory for the SDK:  could not find the 'share' directory");
  *strrchr(q->buf, '/') = '\0';
  trace("finding: SDK --> %p %s\n", (void *)q->buf, q->buf);
  return q->buf;
}

LOCATOR_OWN_FRAME static char *report_missing_sdk_subdir(char *path, uint64_t size,
                                                         tev_morl_entry_error_fn cb, void *user,
                                                         const char *desc) {
  char msg[TEV_MORL_ENTRY_MAX_PATH + 100];
  LOCATOR_ASSERT(39 + strlen(desc) + strlen(path) < sizeof msg);
  const int written =
      rt_snprintf(msg, sizeof msg, "Could not find SDK internal %s directory %s", desc, path);
  if (!rt_fits(written, sizeof msg))
    msg[sizeof msg - 1] = '\0';
  return report_failure(path, size, cb, user, msg);
}

// path receives the SDK root followed by subdir, which must be a directory.
static char *find_sdk_subdir(const char *exe, char *path, uint64_t size, tev_morl_entry_error_fn cb,
                             void *user, const char *subdir, const char *desc) {
  if (!tev_morl_entry_query(exe, SDK, path, size, cb, user))
    return report_failure(path, size, cb, user, "Could not determine the path to SDK");
  const size_t root_len = strlen(path);
  if (strlen(subdir) + 2 + root_len > TEV_MORL_ENTRY_MAX_PATH)
    return report_failure(path, size, cb, user, "Internal error: Path to SDK is too long");
  strncat(path, subdir, TEV_MORL_ENTRY_MAX_PATH - 1 - root_len);
  if (is_directory(path))
    return path;
  return report_missing_sdk_subdir(path, size, cb, user, desc);
}

struct sdk_dir_request {
  const char *subdir_format; // formatted with the platform name
  const char *desc;
  const char *failure;
  const char *entry_trace;
  const char *success_trace;
};

// Indexed by request - SDK_BIN.
static const sdk_dir_request sdk_dir_requests[] = {
    {"/%s/bin", "executables", "Could not determine the path to SDK internal executables",
     "finding: SDK_BIN %p\n", "finding: SDK_BIN --> %p %s\n"},
    {"/host/%s/bin", "runtime executables",
     "Could not determine the path to SDK or RTE internal executables",
     "finding: SDK_HOST_BIN %p\n", "finding: SDK_HOST_BIN --> %p %s\n"},
    {"/%s/lib", "libraries", "Could not determine the path to SDK internal libraries",
     "finding: SDK_LIB %p\n", "finding: SDK_LIB --> %p %s\n"},
    {"/host/%s/lib", "runtime libraries", "Could not determine the path to SDK internal libraries",
     "finding: SDK_HOST_LIB %p\n", "finding: SDK_HOST_LIB --> %p %s\n"},
    {"/host/windows64/bin/perl/lib", "Perl full library",
     "Could not determine the path to SDK full Perl libraries", "finding: SDK_PERL_LIB %p\n",
     "finding: SDK_PERL_FULL_LIB --> %p %s\n"},
    {"/host/windows64/bin/perl/bin", "Perl runtime executable directory",
     "Could not determine the path to SDK internal Perl executable", "finding: SDK_PERL %p\n",
     "finding: SDK_PERL --> %p %s\n"},
};

// The interpreter's file itself need not exist; only the caller's buffer
// bounds it.
static int append_perl_executable(const query_args *q) {
  const size_t len = strlen(q->buf);
  if (len + 10 > q->size) {
    fail(q, "Not enough space to determine path to SDK internal Perl executable");
    return 0;
  }
  strncat(q->buf, "/perl.exe", q->size - len - 1);
  return 1;
}

static const char *find_sdk_dir(const query_args *q, tev_morl_entry_request request) {
  const sdk_dir_request *r = &sdk_dir_requests[request - SDK_BIN];
  trace(r->entry_trace, (void *)q->buf);
  char subdir[50];
  const int written = rt_snprintf(subdir, sizeof subdir, r->subdir_format, get_platform_name());
  LOCATOR_ASSERT(rt_fits(written, sizeof subdir));
  if (!find_sdk_subdir(q->exe, q->buf, q->size, q->cb, q->user, subdir, r->desc))
    return fail(q, r->failure);
  if (request == SDK_PERL && !append_perl_executable(q))
    return nullptr;
  trace(r->success_trace, (void *)q->buf, q->buf);
  return q->buf;
}

// ---------------------------------------------------------------------------
// Tallova suite requests
// ---------------------------------------------------------------------------

// The result of VYRO_BIN when its directory is missing: a success with no text.
static const char no_vyro_dir[] = "";

char *copy_dir_setting(char *dst, const char *src, size_t n) {
  if (n == 0)
    return nullptr;
  dst[0] = '\0';
  if (!src)
    return dst;
  size_t len = 0;
  while (len < n - 1 && src[len])
    ++len;
  memcpy(dst, src, len);
  dst[len] = '\0';
  if (len <= 1)
    return dst;
  // Trailing separators go, inner ones become '/'; the first character stays.
  int seen_other = 0;
  for (size_t i = len - 1; i >= 1; --i) {
    if (dst[i] == '/' || dst[i] == '\\')
      dst[i] = seen_other ? '/' : '\0';
    else
      seen_other = 1;
  }
  return dst;
}

// An environment variable naming a directory, made absolute into buf.
// Anything else is passed over without a word.
static int dir_setting_applies(const char *variable, char *setting, char *buf) {
  copy_dir_setting(setting, getenv(variable), TEV_MORL_ENTRY_MAX_PATH);
  return setting[0] != '\0' && is_directory(setting) && get_absolute_path(setting, buf) != nullptr;
}

// "tallova_sh" in the current directory or along PATH, as named or with
// ".exe"; the suite root is a directory "tallova" up to two levels above the
// command's own directory. setting receives it.
LOCATOR_OWN_FRAME static int find_tallova_from_shell_command(char *setting, char *buf) {
  char command[TEV_MORL_ENTRY_MAX_PATH];
  char candidate[TEV_MORL_ENTRY_MAX_PATH];
  memcpy(command, "tallova_sh", sizeof "tallova_sh");
  command[sizeof command - 1] = '\0';
  const char *name = command;
  locate_executable(&name, candidate, sizeof candidate);
  // Whatever the search left is made absolute; only a found command is a
  // regular file.
  if (!get_absolute_path(candidate, setting) || setting[0] == '\0' || !is_regular_file(setting))
    return 0;
  const char *root = find_ancestor_dir(setting, "tallova", 3);
  trace("resolved tallova_sh: %s\n", setting);
  if (!root)
    return 0;
  trace("finding: TALLOVA peer --> %p %p %s\n", (void *)setting, (void *)buf, setting);
  const size_t qdir_len = strlen(setting);
  LOCATOR_ASSERT(qdir_len < TEV_MORL_ENTRY_MAX_PATH);
  memcpy(buf, setting, qdir_len + 1);
  buf[TEV_MORL_ENTRY_MAX_PATH - 1] = '\0';
  return 1;
}

// Six lines naming every place tried, the executable's path among them.
LOCATOR_OWN_FRAME static const char *report_tallova_not_found(const query_args *q) {
  static const char head[] = "Could not determine where Tallova is installed. Tried looking at:\n"
                             "  - TALLOVA_ROOTDIR_OVERRIDE environment variable,\n"
                             "  - Directories near executable ";
  static const char tail[] = "\n  - TALLOVA_ROOTDIR environment variable,\n"
                             "  - PATH environment variable.\n"
                             "To fix the problem, add tallova bin directory to the PATH.";
  char msg[TEV_MORL_ENTRY_MAX_PATH + 100];
  int written = rt_snprintf(msg, sizeof msg, "%s%s%s", head, q->resolved, tail);
  if (!rt_fits(written, sizeof msg)) {
    // The path is too long for the message: keep both of its ends and the
    // head and the tail whole.
    const size_t room = sizeof msg - 1 - (sizeof head - 1) - (sizeof tail - 1) - 3;
    const size_t path_len = strlen(q->resolved);
    const size_t front = room / 2;
    const size_t back = room - front;
    written = rt_snprintf(msg, sizeof msg, "%s%.*s...%s%s", head, (int)front, q->resolved,
                          q->resolved + path_len - back, tail);
    if (!rt_fits(written, sizeof msg))
      msg[sizeof msg - 1] = '\0';
  }
  return fail(q, msg);
}

LOCATOR_OWN_FRAME static const char *find_tallova_root(const query_args *q) {
  char setting[TEV_MORL_ENTRY_MAX_PATH];
  trace("finding: TALLOVA %p\n", (void *)q->buf);
  if (dir_setting_applies("TALLOVA_ROOTDIR_OVERRIDE", setting, q->buf)) {
    trace("finding: TALLOVA OVERRIDE --> %p %s\n", (void *)q->buf, q->buf);
    return q->buf;
  }
  if (!get_absolute_path(q->exe, q->buf))
    return fail(q, "Internal error: Could not determine absolute path to executable");
  const char *peer = find_ancestor_dir(q->buf, "tallova", 3);
  if (peer) {
    trace("finding: TALLOVA peer --> %p %p %s\n", (const void *)peer, (void *)q->buf, peer);
    return q->buf;
  }
  if (dir_setting_applies("TALLOVA_ROOTDIR", setting, q->buf)) {
    trace("finding: TALLOVA rootdir--> %p %p %s\n", (void *)q->buf, (void *)setting, q->buf);
    return q->buf;
  }
  if (find_tallova_from_shell_command(setting, q->buf))
    return q->buf;
  return report_tallova_not_found(q);
}

// Own frame for the setting, so it is gone before the suite root is searched.
LOCATOR_OWN_FRAME static int bindir_setting_applies(char *buf) {
  char setting[TEV_MORL_ENTRY_MAX_PATH];
  return dir_setting_applies("TALLOVA_BINDIR", setting, buf);
}

static const char *find_tallova_bindir(const query_args *q) {
  trace("finding: TALLOVA_BINDIR %p\n", (void *)q->buf);
  if (bindir_setting_applies(q->buf))
    return q->buf;
  if (!tev_morl_entry_query(q->exe, TALLOVA, q->buf, q->size, q->cb, q->user))
    return fail(q, "Could not find Tallova program directory");
  if (strlen(q->buf) + 8 > TEV_MORL_ENTRY_MAX_PATH)
    return fail(q, "Internal error: Path to Tallova program directory is too long");
  append_to_path(q->buf, "/bin64");
  return q->buf;
}

// buf receives the suite root followed by suffix; the place is not tested.
static char *compose_below_tallova_root(const query_args *q, const char *suffix,
                                        const char *root_missing) {
  if (!tev_morl_entry_query(q->exe, TALLOVA, q->buf, q->size, q->cb, q->user))
    return fail(q, root_missing);
  if (strlen(q->buf) + strlen(suffix) + 2 > TEV_MORL_ENTRY_MAX_PATH)
    return fail(q, "Internal error: Path to Tallova program directory is too long");
  append_to_path(q->buf, suffix);
  return q->buf;
}

static const char *find_tallova_perl(const query_args *q) {
  trace("finding: TALLOVA_PERL %p\n", (void *)q->buf);
  const char *root_missing = "Could not find the Perl command inside Tallova";
  if (!compose_below_tallova_root(q, "/bin64/perl/bin/perl.exe", root_missing))
    return nullptr;
  if (!is_regular_file(q->buf))
    return fail(q, "Could not find the Perl command inside Tallova");
  trace("finding: PERL --> %p %p %s\n", (void *)q->buf, (void *)q->buf, q->buf);
  return q->buf;
}

static const char *find_tallova_java(const query_args *q) {
  trace("finding: TALLOVA_JAVA %p\n", (void *)q->buf);
  if (!compose_below_tallova_root(q, "/bin64/jre64/bin",
                                  "Could not find the java command inside Tallova"))
    return nullptr;
  if (!is_directory(q->buf))
    return fail(q, "Internal error: Path to Tallova java directory is not found!");
  trace("found JAVA --> %s\n", q->buf);
  return q->buf;
}

static const char *find_drav_builder(const query_args *q) {
  trace("finding: DRAV_BUILDER %p\n", (void *)q->buf);
  if (!compose_below_tallova_root(q, "/drav_builder/bin",
                                  "Could not find the DRAV Builder command inside Tallova"))
    return nullptr;
  if (!is_directory(q->buf))
    return fail(q, "Internal error: Path to DRAV Builder directory is not found!");
  trace("finding: DRAV_BUILDER --> %s\n", q->buf);
  return q->buf;
}

// A missing Vyro directory is no failure: the result is empty and buf keeps
// the composed path.
static const char *find_vyro_bin(const query_args *q) {
  trace("finding: VYRO_BIN %p\n", (void *)q->buf);
  if (!compose_below_tallova_root(q, "/../vyro/bin",
                                  "Could not find the Vyro commands inside Tallova"))
    return nullptr;
  if (!is_directory(q->buf)) {
    trace("finding: VYRO_BIN --> not found, assuming Tallova Velum Standard installation!\n");
    return no_vyro_dir;
  }
  trace("finding: VYRO_BIN --> %s\n", q->buf);
  return q->buf;
}

// "TEV_TORMA_ROOT_OVERRIDE", when set, is used exactly as it stands;
// otherwise the directory lies below the SDK root.
static const char *find_torma_backend_dir(const query_args *q) {
  trace("finding: TALLOVA_TORMA_BACKEND_DIR %p\n", (void *)q->buf);
  const char *override_root = getenv("TEV_TORMA_ROOT_OVERRIDE");
  if (override_root) {
    const size_t len = strlen(override_root);
    if (len + 11 > TEV_MORL_ENTRY_MAX_PATH)
      return fail(q, "Internal error: Path to TORMA override directory is too long");
    memcpy(q->buf, override_root, len + 1);
    q->buf[TEV_MORL_ENTRY_MAX_PATH - 1] = '\0';
    append_to_path(q->buf, "/windows64");
    if (!is_directory(q->buf))
      return fail(q, "Could not find the TORMA backend directory inside Tallova");
    trace("finding: TALLOVA_TORMA_BACKEND_DIR through override --> %p %p %s\n", (void *)q->buf,
          (const void *)override_root, q->buf);
    return q->buf;
  }
  const char *root = tev_morl_entry_query(q->exe, SDK, q->buf, q->size, q->cb, q->user);
  if (!root)
    return fail(q, "Could not find the TORMA backend directory inside Tallova");
  if (strlen(q->buf) + 32 > TEV_MORL_ENTRY_MAX_PATH)
    return fail(q, "Internal error: Path to Tallova program directory is too long");
  append_to_path(q->buf, "/windows64/lib/torma/windows64");
  if (!is_directory(q->buf))
    return fail(q, "Could not find the TORMA backend directory inside Tallova");
  trace("finding: TALLOVA_TORMA_BACKEND_DIR --> %p %p %s\n", (void *)q->buf, (const void *)root,
        q->buf);
  return q->buf;
}

// ---------------------------------------------------------------------------
// The query
// ---------------------------------------------------------------------------

const char *tev_morl_entry_query(const char *exe, tev_morl_entry_request request, char *buf,
                                 uint64_t size, tev_morl_entry_error_fn cb, void *user) {
  if (!exe)
    return report_failure(buf, size, cb, user, "Internal error: executable name is not supplied");
  if (!buf)
    return report_failure(nullptr, 0, cb, user, "Internal error: path buffer is NULL");
  if (size < TEV_MORL_ENTRY_MAX_PATH)
    return report_failure(buf, size, cb, user, "Internal error: path buffer is too short");
  // Room for the name and ".exe" in the search's 4096-byte buffers.
  if (strlen(exe) + 5 >= TEV_MORL_ENTRY_MAX_PATH)
    return report_failure(buf, size, cb, user, "Path to executable is too long");

  char resolved[TEV_MORL_ENTRY_MAX_PATH];
  const char *working = exe;
  locate_executable(&working, resolved, sizeof resolved);
  trace("resolved: %s\n", working);

  if ((uint32_t)request > (uint32_t)VYRO_BIN)
    return report_failure(buf, size, cb, user, "Internal error: Bad MORL entry query request");

  const query_args q = {working, resolved, buf, size, cb, user};
  switch (request) {
  case SELF:
    return find_self(&q);
  case SDK:
    return find_sdk_root(&q);
  case SDK_BIN:
  case SDK_HOST_BIN:
  case SDK_LIB:
  case SDK_HOST_LIB:
  case SDK_PERL_LIB:
  case SDK_PERL:
    return find_sdk_dir(&q, request);
  case TALLOVA:
    return find_tallova_root(&q);
  case TALLOVA_BINDIR:
    return find_tallova_bindir(&q);
  case TALLOVA_PERL:
    return find_tallova_perl(&q);
  case TALLOVA_TORMA_BACKEND_DIR:
    return find_torma_backend_dir(&q);
  case TALLOVA_JAVA:
    return find_tallova_java(&q);
  case DRAV_BUILDER:
    return find_drav_builder(&q);
  case VYRO_BIN:
    return find_vyro_bin(&q);
  }
  return nullptr;
}
