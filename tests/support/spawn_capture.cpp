#include "spawn_capture.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <stdexcept>

#include <fcntl.h>
#ifdef _WIN32
#include <io.h>
#include <process.h>
#define cap_pid _getpid
#define cap_open(p) _open(p, _O_RDWR | _O_CREAT | _O_TRUNC | _O_BINARY, 0600)
#define cap_dup _dup
#define cap_dup2 _dup2
#define cap_close _close
#else
#include <unistd.h>
#define cap_pid getpid
#define cap_open(p) open(p, O_RDWR | O_CREAT | O_TRUNC, 0600)
#define cap_dup dup
#define cap_dup2 dup2
#define cap_close close
#endif

#include "runtime.h"
#include "tev_morl_entry.h"

namespace fs = std::filesystem;

static std::string capture_file_name() {
  static std::atomic<unsigned> counter{0};
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  return (fs::temp_directory_path() / ("zudcapture-" + std::to_string(cap_pid()) + "-" +
                                       std::to_string(stamp) + "-" + std::to_string(counter++)))
      .string();
}

int spawn_capture(const char *path, const char *const *quoted_argv, std::string *out) {
  const std::string name = capture_file_name();
  const int file = cap_open(name.c_str());
  if (file < 0)
    throw std::runtime_error("cannot create " + name);
  std::cout.flush();
  fflush(stdout);
  // The child inherits descriptor 1; the Windows runtime hands its whole
  // descriptor table to the child, so this works there as well.
  const int saved = cap_dup(1);
  cap_dup2(file, 1);
  const int status = rt_spawnv_wait(path, quoted_argv);
  cap_dup2(saved, 1);
  cap_close(saved);
  cap_close(file);

  std::ifstream in(name, std::ios::binary);
  out->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  in.close();
  std::error_code ignored;
  fs::remove(name, ignored);
  return status;
}

int run_capture(const char *path, const std::vector<std::string> &args, std::string *out) {
  std::vector<char *> quoted;
  quoted.push_back(quote_argument(path, malloc));
  for (const std::string &arg : args)
    quoted.push_back(quote_argument(arg.c_str(), malloc));
  quoted.push_back(nullptr);
  const int status = spawn_capture(path, quoted.data(), out);
  for (char *q : quoted)
    free(q);
  return status;
}
