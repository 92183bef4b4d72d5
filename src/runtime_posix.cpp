// The runtime seam on a POSIX host: the same observable behaviour as the
// Windows runtime, so that the locator and the launcher run and test natively.
// '\' is a path separator here as it is on Windows.
#include "runtime.h"

#include <cerrno>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "ms_cmdline.h"

extern char **environ;

static bool is_separator(char c) { return c == '/' || c == '\\'; }

static std::string with_forward_slashes(const char *path) {
  std::string out(path);
  for (char &c : out)
    if (c == '\\')
      c = '/';
  return out;
}

static bool current_directory(std::string *out) {
  std::vector<char> buf(PATH_MAX);
  for (;;) {
    if (getcwd(buf.data(), buf.size())) {
      *out = buf.data();
      return true;
    }
    if (errno != ERANGE)
      return false;
    buf.resize(buf.size() * 2);
  }
}

// Lexical only: the path need not exist and links are not followed. A path
// that begins with two separators is a network path and keeps both; its
// server and share are its root. A trailing separator stays and the empty
// path is the current directory, as on Windows.
char *rt_fullpath(char *out, const char *path, size_t size) {
  if (!out || !path)
    return nullptr;
  std::string full;
  if (is_separator(path[0])) {
    full = path;
  } else {
    if (!current_directory(&full))
      return nullptr;
    if (*path) {
      if (full.back() != '/') // the root is the one directory that ends in '/'
        full += '/';
      full += path;
    }
  }
  full = with_forward_slashes(full.c_str());

  const bool network = full.size() >= 2 && full[0] == '/' && full[1] == '/';
  const size_t fixed = network ? 2 : 0; // components ".." cannot remove
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= full.size()) {
    size_t end = full.find('/', start);
    if (end == std::string::npos)
      end = full.size();
    std::string part = full.substr(start, end - start);
    start = end + 1;
    if (part.empty() || part == ".")
      continue;
    if (part == ".." && parts.size() >= fixed) {
      if (parts.size() > fixed)
        parts.pop_back();
      continue;
    }
    parts.push_back(part);
  }

  std::string result = network ? "/" : "";
  for (const std::string &part : parts)
    result += "/" + part;
  if (result.empty() || is_separator(full.back()))
    result += '/';
  if (result.size() + 1 > size)
    return nullptr;
  memcpy(out, result.c_str(), result.size() + 1);
  return out;
}

int rt_stat_mode(const char *path, unsigned *mode) {
  if (!path || !mode)
    return -1;
  struct stat st;
  if (stat(with_forward_slashes(path).c_str(), &st) != 0)
    return -1;
  *mode = S_ISDIR(st.st_mode) ? RT_MODE_DIR : S_ISREG(st.st_mode) ? RT_MODE_REG : 0u;
  return 0;
}

int rt_putenv(const char *assignment) {
  if (!assignment)
    return -1;
  const char *eq = strchr(assignment, '=');
  if (!eq || eq == assignment)
    return -1;
  const std::string name(assignment, eq);
  if (eq[1] == '\0')
    return unsetenv(name.c_str()) == 0 ? 0 : -1;
  return setenv(name.c_str(), eq + 1, 1) == 0 ? 0 : -1;
}

// The child gets exactly the argv a Windows child's runtime would build from
// the command line that _spawnv makes: the words joined with single blanks.
int rt_spawnv_wait(const char *path, const char *const *argv) {
  if (!path || !*path || !argv || !argv[0])
    return -1;
  std::string line = argv[0];
  for (size_t i = 1; argv[i]; ++i) {
    line += ' ';
    line += argv[i];
  }
  std::vector<std::string> words = ms_split_command_line(line.c_str());
  std::vector<char *> child_argv;
  for (std::string &word : words)
    child_argv.push_back(&word[0]);
  child_argv.push_back(nullptr);

  pid_t pid;
  if (posix_spawn(&pid, with_forward_slashes(path).c_str(), nullptr, nullptr, child_argv.data(),
                  environ) != 0)
    return -1;
  int status;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR)
      return -1;
  }
  if (WIFEXITED(status))
    return WEXITSTATUS(status);
  if (WIFSIGNALED(status))
    return 128 + WTERMSIG(status);
  return -1;
}

int rt_system(const char *command) { return system(command); }

// A text that does not fit is cut to size bytes and left without a
// terminator; the legacy runtime does the same.
int rt_snprintf(char *buf, size_t size, const char *fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  va_list again;
  va_copy(again, ap);
  const int length = vsnprintf(buf, size, fmt, ap);
  va_end(ap);
  if (length < 0 || (size_t)length < size) {
    va_end(again);
    return length < 0 ? -1 : length;
  }
  std::vector<char> whole((size_t)length + 1);
  vsnprintf(whole.data(), whole.size(), fmt, again);
  va_end(again);
  if (size)
    memcpy(buf, whole.data(), size);
  return (size_t)length == size ? (int)size : -1;
}

int rt_stricmp(const char *a, const char *b) {
  for (;; ++a, ++b) {
    int ca = (unsigned char)*a, cb = (unsigned char)*b;
    if (ca >= 'A' && ca <= 'Z')
      ca += 'a' - 'A';
    if (cb >= 'A' && cb <= 'Z')
      cb += 'a' - 'A';
    if (ca != cb || ca == 0)
      return ca - cb;
  }
}
