#include "spawn_capture.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>
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

// Points descriptor fd at a new temporary file for the child; the file's
// bytes end up in *text when restore() runs.
struct Redirect {
  int fd;
  std::string name;
  int file, saved;
  Redirect(int which) : fd(which), name(capture_file_name()) {
    file = cap_open(name.c_str());
    if (file < 0)
      throw std::runtime_error("cannot create " + name);
    saved = cap_dup(fd);
    cap_dup2(file, fd);
  }
  void restore(std::string *text) {
    cap_dup2(saved, fd);
    cap_close(saved);
    cap_close(file);
    std::ifstream in(name, std::ios::binary);
    text->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    in.close();
    std::error_code ignored;
    fs::remove(name, ignored);
  }
};

int spawn_capture(const char *path, const char *const *quoted_argv, std::string *out,
                  std::string *err) {
  std::cout.flush();
  fflush(stdout);
  fflush(stderr);
  // The child inherits descriptors 1 and 2; the Windows runtime hands its
  // whole descriptor table to the child, so this works there as well.
  Redirect out_file(1);
  std::unique_ptr<Redirect> err_file(err ? new Redirect(2) : nullptr);
  const int status = rt_spawnv_wait(path, quoted_argv);
  if (err_file)
    err_file->restore(err);
  out_file.restore(out);
  return status;
}

int run_capture(const char *path, const std::vector<std::string> &args, std::string *out,
                std::string *err, const char *argv0) {
  std::vector<char *> quoted;
  quoted.push_back(quote_argument(argv0 ? argv0 : path, malloc));
  for (const std::string &arg : args)
    quoted.push_back(quote_argument(arg.c_str(), malloc));
  quoted.push_back(nullptr);
  const int status = spawn_capture(path, quoted.data(), out, err);
  for (char *q : quoted)
    free(q);
  return status;
}
