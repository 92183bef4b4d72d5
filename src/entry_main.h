// Command launcher: finds the installation, prepares the child's environment
// and runs the command's Perl script under the SDK's interpreter.
//
// The state below lives as long as the process. It has external linkage only
// so that tests linked against the launcher's functions can set and read it.
#ifndef ENTRY_MAIN_H
#define ENTRY_MAIN_H

#include "tev_morl_entry.h"

// Slots of the error store; later messages are counted and dropped.
#define L_MAX_ERRORS 20
// Size of each environment composition buffer (16 MiB).
#define L_ENV_BUFFER_SIZE (16 * 1024 * 1024)
// Size of the interpreter's version query command.
#define L_VERSION_QUERY_SIZE 512

// Flags of the argument scan.
extern int l_debug;
extern const char *l_perl_override;
extern int l_fast_emulator;
extern int l_skip_tallova_bin;

// Decisions of the look-up phase.
extern int require_vek_compiler;
extern int l_sdk_bin_found;

// Error store filled by l_store_error.
extern char l_errors[L_MAX_ERRORS][TEV_MORL_ENTRY_MAX_PATH];
extern int l_error_count;
extern char l_msg[TEV_MORL_ENTRY_MAX_PATH];

// Located paths; an empty buffer means not found.
extern char self_path[TEV_MORL_ENTRY_MAX_PATH];
extern char sdk[TEV_MORL_ENTRY_MAX_PATH];
extern char sdk_bin[TEV_MORL_ENTRY_MAX_PATH];
extern char sdk_host_bin[TEV_MORL_ENTRY_MAX_PATH];
extern char tallova[TEV_MORL_ENTRY_MAX_PATH];
extern char tallova_bin[TEV_MORL_ENTRY_MAX_PATH];
extern char drav_builder[TEV_MORL_ENTRY_MAX_PATH];
extern char vyro_bin[TEV_MORL_ENTRY_MAX_PATH];
extern char tallova_torma_backend[TEV_MORL_ENTRY_MAX_PATH];
extern char tallova_java[TEV_MORL_ENTRY_MAX_PATH];
extern char perl_exe[TEV_MORL_ENTRY_MAX_PATH];
extern char perl_fulllib[TEV_MORL_ENTRY_MAX_PATH];

// Environment compositions: "NAME=VALUE" and a new list value.
extern char l_env_assign[L_ENV_BUFFER_SIZE];
extern char l_env_value[L_ENV_BUFFER_SIZE];

// Command name of a path: base name, an exact ".exe"/".EXE" cut, lower-cased;
// edits the path in place and points into it.
char *l_program_name(char *path);

// Error callback of the locator: keeps up to L_MAX_ERRORS messages.
void l_store_error(const char *msg, void *user);

// Prints the headline and every stored message, then exits with status 1.
[[noreturn]] void l_fatal_environment_error(char *argv0);

// A word names a ".cl" file: the suffix in any case, after at least one
// character.
int l_is_cl_file(const char *word);

// Scans the command line once: takes a leading "--perl" and "--standalone",
// compacts the child's words into argv[1] onwards and sets the flags.
// Returns the kept count (argv[0] included). Exits with status 3 when
// "--perl" has no argument.
int l_scan_arguments(int argc, char **argv);

// Environment updates; 1 on success, 0 on failure.
int l_setenv(const char *name, const char *value);
int l_prepend_path(const char *name, const char *value);
int l_setup_environment(void);

// The launcher's entry point as the test build names it.
int entry_main(int argc, char **argv);

#endif
