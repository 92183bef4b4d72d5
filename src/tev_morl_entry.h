// Installation locator: finds the launcher itself, the SDK and the Tallova
// suite on disk, and quotes arguments for the Windows command line.
//
// Every path it hands back is absolute and uses '/' as its only separator.
// Failures are never printed: each failing level hands one message to the
// caller's callback, innermost first, and the caller's buffer is emptied.
#ifndef TEV_MORL_ENTRY_H
#define TEV_MORL_ENTRY_H

#include <cstddef>
#include <cstdint>

// Least size of a caller's path buffer and size of every buffer inside.
#define TEV_MORL_ENTRY_MAX_PATH 4096

enum tev_morl_entry_request : int32_t {
  SELF = 0,
  SDK = 1,
  SDK_BIN = 2,
  SDK_HOST_BIN = 3,
  SDK_LIB = 4,
  SDK_HOST_LIB = 5,
  SDK_PERL_LIB = 6,
  SDK_PERL = 7,
  TALLOVA = 8,
  TALLOVA_BINDIR = 9,
  TALLOVA_PERL = 10,
  TALLOVA_TORMA_BACKEND_DIR = 11,
  TALLOVA_JAVA = 12,
  DRAV_BUILDER = 13,
  VYRO_BIN = 14,
};

// The message is valid only during the call; a callback that keeps it copies it.
typedef void (*tev_morl_entry_error_fn)(const char *msg, void *user);

// Answers one request for the executable named by exe (the launcher's argv[0]).
// Returns the result (buf, or for a missing Vyro directory a static empty
// string while buf keeps the candidate), or null with buf emptied. Use the
// result only to tell success from failure; read the path from buf.
const char *tev_morl_entry_query(const char *exe, tev_morl_entry_request request, char *buf,
                                 uint64_t size, tev_morl_entry_error_fn cb, void *user);

// Path helpers. Buffers are TEV_MORL_ENTRY_MAX_PATH bytes.
char *get_absolute_path(const char *path, char *out);
// Success is told by pointer identity: *my_executable_ptr becomes out only
// when a regular file was found.
void search_executable_in_path(const char **my_executable_ptr, char *out, size_t len);
void locate_executable(const char **my_executable_ptr, char *out, size_t len);
char *copy_dir_setting(char *dst, const char *src, size_t n);

// Directory walk and file tests.
char *find_ancestor_dir(char *path, const char *name, int32_t levels);
int32_t is_directory(const char *path);
int32_t is_regular_file(const char *path);

const char *get_platform_name(void);
int32_t get_debug_level(void);
void increase_debug_level(void);

// Quoted copy of one argument for a Windows command line, in one block from alloc.
char *quote_argument(const char *arg, void *(*alloc)(size_t));

#endif
