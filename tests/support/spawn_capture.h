// Runs a child through the runtime seam and collects what it writes to its
// standard output.
#ifndef SPAWN_CAPTURE_H
#define SPAWN_CAPTURE_H

#include <string>
#include <vector>

// quoted_argv is handed to rt_spawnv_wait as it is (null-terminated). The
// child's standard output goes to a temporary file whose bytes end up in *out;
// with err, its standard error likewise. Returns the child's status as
// rt_spawnv_wait gives it.
int spawn_capture(const char *path, const char *const *quoted_argv, std::string *out,
                  std::string *err = nullptr);

// Quotes argv0 (path when null) and every word with quote_argument, then runs
// spawn_capture.
int run_capture(const char *path, const std::vector<std::string> &args, std::string *out,
                std::string *err = nullptr, const char *argv0 = nullptr);

#endif
