// Command launcher: the program's entry.
#include "entry_main.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "runtime.h"
#include "tev_morl_entry.h"

int l_debug = 0;
const char *l_perl_override = nullptr;
int l_fast_emulator = 0;
int l_skip_tallova_bin = 0;

int require_vek_compiler = 1;
int l_sdk_bin_found = 0;

char l_errors[L_MAX_ERRORS][TEV_MORL_ENTRY_MAX_PATH];
int l_error_count = 0;
char l_msg[TEV_MORL_ENTRY_MAX_PATH];

char self_path[TEV_MORL_ENTRY_MAX_PATH];
char sdk[TEV_MORL_ENTRY_MAX_PATH];
char sdk_bin[TEV_MORL_ENTRY_MAX_PATH];
char sdk_host_bin[TEV_MORL_ENTRY_MAX_PATH];
char tallova[TEV_MORL_ENTRY_MAX_PATH];
char tallova_bin[TEV_MORL_ENTRY_MAX_PATH];
char drav_builder[TEV_MORL_ENTRY_MAX_PATH];
char vyro_bin[TEV_MORL_ENTRY_MAX_PATH];
char tallova_torma_backend[TEV_MORL_ENTRY_MAX_PATH];
char tallova_java[TEV_MORL_ENTRY_MAX_PATH];
char perl_exe[TEV_MORL_ENTRY_MAX_PATH];
char perl_fulllib[TEV_MORL_ENTRY_MAX_PATH];

char l_env_assign[L_ENV_BUFFER_SIZE];
char l_env_value[L_ENV_BUFFER_SIZE];

// ---------------------------------------------------------------------------
// Program name, error store and fatal report
// ---------------------------------------------------------------------------

char *l_program_name(char *path) {
  char *base = strrchr(path, '/');
  if (base) {
    ++base;
  } else {
    base = strrchr(path, '\\');
    base = base ? base + 1 : path;
  }
  char *dot = strrchr(base, '.');
  if (dot && (strcmp(dot, ".exe") == 0 || strcmp(dot, ".EXE") == 0))
    *dot = '\0';
  for (char *p = base; *p; ++p)
    *p = (char)tolower((unsigned char)*p);
  return base;
}

void l_store_error(const char *msg, void *) {
  if (l_error_count < L_MAX_ERRORS) {
    char *slot = l_errors[l_error_count];
    size_t len = strnlen(msg, TEV_MORL_ENTRY_MAX_PATH - 1);
    memcpy(slot, msg, len);
    // The slot's last byte is never written: it terminates a cut message.
    if (len < TEV_MORL_ENTRY_MAX_PATH - 1)
      slot[len] = '\0';
  }
  ++l_error_count;
}

void l_fatal_environment_error(char *argv0) {
  const char *command = l_program_name(argv0);
  const char *product;
  if (strcmp(command, "y++") == 0)
    product = "Orvex(R) Sollin Compiler";
  else if (l_sdk_bin_found)
    product = "Orvex(R) Tavrin SDK";
  else
    product = "Orvex(R) Tavrin Runtime Environment";
  printf("%s: Unable to determine the execution environment of the %s.\n", command, product);
  const int stored = l_error_count < L_MAX_ERRORS ? l_error_count : L_MAX_ERRORS;
  for (int k = 0; k < stored; ++k)
    printf("%s:     Detailed error: %s\n", command, l_errors[k]);
  exit(1);
}

// ---------------------------------------------------------------------------
// Debug switch and argument scan
// ---------------------------------------------------------------------------

static void l_debug_switch(void) {
  if (getenv("ZUDL_ENTRY_DEBUG")) {
    l_debug = 1;
    increase_debug_level();
  }
}

int l_is_cl_file(const char *word) {
  const size_t len = strlen(word);
  return len > 3 && rt_stricmp(word + len - 3, ".cl") == 0;
}

int l_scan_arguments(int argc, char **argv) {
  int scan_leading = 1;
  int no_sim_or_hw = 1;
  int sycl_seen = 0;
  int createlib_seen = 0;
  int cl_arg_seen = 0;
  int kept = 1;

  // The write position never passes the read position, so argv is compacted
  // in place without losing a word that is still to be read.
  for (int i = 1; i < argc;) {
    char *w = argv[i];
    if (scan_leading) {
      if (strcmp(w, "--perl") == 0) {
        if (i + 1 >= argc) {
          printf("%s: Option --perl requires an argument.\n", l_program_name(argv[0]));
          exit(3);
        }
        l_perl_override = argv[i + 1];
        i += 2;
        continue;
      }
      if (strcmp(w, "--standalone") == 0) {
        argv[kept++] = w;
        ++i;
        continue;
      }
      scan_leading = 0;
    }

    argv[kept++] = w;
    if (strcmp(w, "-fast-emulator") == 0)
      l_fast_emulator = 1;
    if (strcmp(w, "-simulator") == 0 || strcmp(w, "-hardware") == 0)
      no_sim_or_hw = 0;
    if (strcmp(w, "-sycl") == 0)
      sycl_seen = 1;
    if (strcmp(w, "--source") == 0 && i + 1 < argc && strcmp(argv[i + 1], "ocl") == 0)
      l_skip_tallova_bin = 1;
    if (strcmp(w, "-createlibobjectforsycl") == 0)
      createlib_seen = 1;
    if (l_is_cl_file(w))
      cl_arg_seen = 1;
    ++i;
  }

  if (no_sim_or_hw && sycl_seen)
    l_skip_tallova_bin = 1;
  if (createlib_seen && cl_arg_seen)
    l_skip_tallova_bin = 1;
  return kept;
}

// ---------------------------------------------------------------------------
// Child environment composition
// ---------------------------------------------------------------------------

int l_setenv(const char *name, const char *value) {
  const int written = rt_snprintf(l_env_assign, L_ENV_BUFFER_SIZE, "%s=%s", name, value);
  if (!rt_fits(written, L_ENV_BUFFER_SIZE)) {
    printf("Environment variable %s is too long\n", name);
    l_env_assign[L_ENV_BUFFER_SIZE - 1] = '\0';
  }
  return rt_putenv(l_env_assign) == 0;
}

int l_prepend_path(const char *name, const char *value) {
  const char *old = getenv(name);
  if (l_debug)
    printf("Prepend %s with %s\n", name, value);
  if (!old)
    return l_setenv(name, value);
  const int written = rt_snprintf(l_env_value, L_ENV_BUFFER_SIZE, "%s;%s", value, old);
  if (!rt_fits(written, L_ENV_BUFFER_SIZE))
    return 0;
  return l_setenv(name, l_env_value);
}

int l_setup_environment(void) {
  char wrapper_bin[TEV_MORL_ENTRY_MAX_PATH];
  // The SDK root leaves room for "/share", so "/bin" always fits; the
  // terminator only guards a root that came from elsewhere.
  rt_snprintf(wrapper_bin, sizeof wrapper_bin, "%s/bin", sdk);
  wrapper_bin[sizeof wrapper_bin - 1] = '\0';

  const int with_tallova_bin = tallova_bin[0] && !l_fast_emulator && !l_skip_tallova_bin;
  struct step {
    int runs;
    int prepend;
    const char *name;
    const char *value;
    const char *failure;
  };
  const step steps[] = {
      {tallova_torma_backend[0] && !l_fast_emulator, 1, "PATH", tallova_torma_backend,
       "Failed l_prepend_path( \"PATH\", tallova_torma_backend )\n"},
      {with_tallova_bin, 1, "PATH", tallova_bin,
       "Failed l_prepend_path( \"PATH\", tallova_bin )\n"},
      {with_tallova_bin, 1, "LD_LIBRARY_PATH", tallova_bin,
       "Failed l_prepend_path( \"LD_LIBRARY_PATH\", tallova_bin )\n"},
      {with_tallova_bin, 0, "TALLOVA_64BIT", "1", "Failed l_setenv( \"TALLOVA_64BIT\", \"1\" )\n"},
      {tallova[0] != '\0', 0, "TALLOVA_ROOTDIR", tallova,
       "Failed l_setenv( \"TALLOVA_ROOTDIR\", tallova )\n"},
      {tallova_java[0] != '\0', 1, "PATH", tallova_java,
       "Failed l_prepend_path( \"PATH\", tallova_java )\n"},
      {drav_builder[0] != '\0', 1, "PATH", drav_builder,
       "Failed l_prepend_path( \"PATH\", drav_builder )\n"},
      {vyro_bin[0] != '\0', 1, "PATH", vyro_bin, "Failed l_prepend_path( \"PATH\", vyro_bin )\n"},
      {1, 0, "ORVEXTAVRINSDKROOT", sdk, "Failed l_setenv( \"ORVEXTAVRINSDKROOT\", sdk )\n"},
      {sdk_bin[0] != '\0', 1, "PATH", sdk_bin, "Failed l_prepend_path( \"PATH\", sdk_bin )\n"},
      {1, 1, "PATH", sdk_host_bin, "Failed l_prepend_path(\"PATH\", sdk_host_bin )\n"},
      {1, 1, "PATH", wrapper_bin, "Failed l_prepend_path( \"PATH\", wrapper_bin )\n"},
      {1, 0, "PERL_BADLANG", "0", "Failed l_setenv( \"PERL_BADLANG\", \"0\" )\n"},
      {1, 1, "PERL5LIB", perl_fulllib, "Failed l_prepend_path (\"PERL5LIB\", perl_fulllib)\n"},
  };

  for (const step &s : steps) {
    if (!s.runs)
      continue;
    const int ok = s.prepend ? l_prepend_path(s.name, s.value) : l_setenv(s.name, s.value);
    if (!ok) {
      printf("%s", s.failure);
      return 0;
    }
  }
  return 1;
}

// ---------------------------------------------------------------------------
// Location queries, script path and child launch
// ---------------------------------------------------------------------------

static int l_query(const char *argv0, tev_morl_entry_request request, char *buf, int reported) {
  return tev_morl_entry_query(argv0, request, buf, TEV_MORL_ENTRY_MAX_PATH,
                              reported ? l_store_error : nullptr, nullptr) != nullptr;
}

// A required look-up: its failure ends the run with the fatal report.
static void l_require(char *argv0, tev_morl_entry_request request, char *buf) {
  if (!l_query(argv0, request, buf, 1))
    l_fatal_environment_error(argv0);
}

static void l_locate_perl(char *argv0) {
  if (l_perl_override) {
    if (!get_absolute_path(l_perl_override, perl_exe)) {
      const int written = rt_snprintf(
          l_msg, sizeof l_msg, "Can't find the specified Perl executable: %s", l_perl_override);
      if (!rt_fits(written, sizeof l_msg))
        l_msg[sizeof l_msg - 1] = '\0';
      l_store_error(l_msg, nullptr);
      l_fatal_environment_error(argv0);
    }
    return;
  }
  l_require(argv0, SDK_PERL, perl_exe);
  l_require(argv0, SDK_PERL_LIB, perl_fulllib);
}

// The look-ups in their fixed order; returns the command name.
static char *l_locate_installation(char *argv0) {
  l_require(argv0, SELF, self_path);
  char *command = l_program_name(self_path);
  if (strcmp(command, "zudl") == 0)
    require_vek_compiler = 0;

  if (l_debug) {
    if (l_perl_override)
      printf("Perl is '%s'\n", l_perl_override);
    printf("Require VEK compiler? %d\n", require_vek_compiler);
    printf("Require Tallova? %d\n", 0);
  }

  l_require(argv0, SDK, sdk);

  l_sdk_bin_found = l_query(argv0, SDK_BIN, sdk_bin, 0);
  if (!l_sdk_bin_found && require_vek_compiler) {
    // The quiet probe said nothing: ask again to collect the messages.
    l_query(argv0, SDK_BIN, sdk_bin, 1);
    l_fatal_environment_error(argv0);
  }

  l_require(argv0, SDK_HOST_BIN, sdk_host_bin);
  if (require_vek_compiler)
    l_require(argv0, SDK_BIN, sdk_bin);

  // The suite is optional: a failure leaves its buffer empty.
  l_query(argv0, TALLOVA, tallova, 0);
  l_query(argv0, TALLOVA_BINDIR, tallova_bin, 0);
  l_query(argv0, DRAV_BUILDER, drav_builder, 0);
  l_query(argv0, VYRO_BIN, vyro_bin, 0);
  l_query(argv0, TALLOVA_TORMA_BACKEND_DIR, tallova_torma_backend, 0);
  l_query(argv0, TALLOVA_JAVA, tallova_java, 0);

  l_locate_perl(argv0);
  return command;
}

static void l_compose_script(const char *command, char *script) {
  const int written =
      rt_snprintf(script, TEV_MORL_ENTRY_MAX_PATH, "%s/share/lib/perl/tev/%s.pl", sdk, command);
  if (!rt_fits(written, TEV_MORL_ENTRY_MAX_PATH)) {
    printf("%s: Could not launch internal command: The path to %s is too long.\n", command, sdk);
    exit(2);
  }
  if (l_debug)
    printf("script is %s\n", script);
}

[[noreturn]] static void l_fail_argument_list(const char *command) {
  printf("%s: Could not allocate memory for argument list.", command);
  exit(3);
}

// The interpreter's path is quoted so that a directory with blanks in it
// does not split the command (rt_system keeps the quotes intact through cmd);
// a path too long for the buffer runs nothing.
static void l_version_query(void) {
  char query[L_VERSION_QUERY_SIZE];
  const int written = rt_snprintf(query, sizeof query, "\"%s\" -v", perl_exe);
  if (!rt_fits(written, sizeof query))
    return;
  // The query writes to our standard output: what is buffered goes first.
  fflush(stdout);
  const int ignored = rt_system(query);
  (void)ignored;
}

static void l_trace_arguments(char **child_argv) {
  for (int k = 0; child_argv[k]; ++k)
    printf("[%d] %s\n", k, child_argv[k]);
}

static void l_quote_arguments(const char *command, char **child_argv) {
  for (int k = 0; child_argv[k]; ++k) {
    char *quoted = quote_argument(child_argv[k], malloc);
    if (!quoted)
      l_fail_argument_list(command);
    child_argv[k] = quoted;
    if (l_debug)
      printf("[%d] %s\n", k, quoted);
  }
}

int main(int argc, char **argv) {
  l_debug_switch();
  const int kept = l_scan_arguments(argc, argv);
  const char *command = l_locate_installation(argv[0]);

  char script[TEV_MORL_ENTRY_MAX_PATH];
  l_compose_script(command, script);

  char **child_argv = (char **)malloc((size_t)(kept + 2) * sizeof *child_argv);
  if (!child_argv)
    l_fail_argument_list(command);
  child_argv[0] = perl_exe;
  child_argv[1] = script;
  for (int k = 1; k < kept; ++k)
    child_argv[k + 1] = argv[k];
  child_argv[kept + 1] = nullptr;

  if (!l_setup_environment()) {
    printf("%s: Could not set environment for SDK\n", command);
    exit(4);
  }

  if (l_debug && require_vek_compiler) {
    l_version_query();
    l_trace_arguments(child_argv);
  }
  fflush(stdout);

  l_quote_arguments(command, child_argv);
  // The child shares our standard output: the quoted trace goes first.
  fflush(stdout);
  const int status = rt_spawnv_wait(perl_exe, (const char *const *)child_argv);

  for (int k = 0; k <= kept + 1; ++k)
    free(child_argv[k]);
  free(child_argv);
  return status;
}
