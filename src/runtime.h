// The C-runtime services the locator and the launcher need beyond standard
// C. The Windows build forwards to the real runtime (runtime_win.cpp); the
// native development build implements the same observable behaviour
// (runtime_posix.cpp). Everything platform-specific stays behind this seam.
#ifndef RUNTIME_H
#define RUNTIME_H

#include <cstddef>

// Mode bits as the Windows runtime reports them.
#define RT_MODE_DIR 0x4000u
#define RT_MODE_REG 0x8000u

// _fullpath: absolute form of path in out (size bytes, NUL included), "." and
// ".." resolved without touching the disk; '\' and '/' both separate. The
// empty path gives the current directory, a trailing separator stays, and a
// path that begins with two separators is a network path. Null for a null
// path or out, or when the result with its NUL would exceed size. The native
// result uses '/' only; the Windows one uses '\'. (Wine's own runtime also
// fails past 259 characters.)
char *rt_fullpath(char *out, const char *path, size_t size);

// _stat64i32: 0 with the mode bits in *mode, of which only
// RT_MODE_DIR and RT_MODE_REG count; non-zero when path has no status.
int rt_stat_mode(const char *path, unsigned *mode);

// _putenv: takes "NAME=VALUE", split at the first '=', and keeps its own
// copy; an empty VALUE removes the variable (removing an absent one
// succeeds). 0 on success, -1 for a text without '=' or with an empty NAME.
int rt_putenv(const char *assignment);

// _spawnv(_P_WAIT, path, argv): argv is already quoted for the Windows command
// line; the words are joined with single blanks and the child's runtime splits
// them again. path is used as given, unquoted and without a PATH search. The
// child inherits the environment and the standard handles (flush stdout
// first). Returns the child's exit status, or -1 when it could not be started;
// natively a child ended by a signal gives 128 + the signal number.
int rt_spawnv_wait(const char *path, const char *const *argv);

// system: runs command through the platform's command interpreter and
// returns what that gives back. cmd /c keeps the quotes of a line that begins
// with one only when they enclose a lone program name free of & < > ( ) @ ^ |;
// otherwise it strips the line's first and last quote, which splits a quoted
// program path such as "C:\Program Files (x86)\p.exe". The Windows side
// therefore wraps command in one more pair of quotes for cmd to strip; the
// POSIX shell takes command as it is, since it would split the extra pair.
int rt_system(const char *command);

// _snprintf: the count written; -1 for a text longer than size and size for a
// text exactly as long, in both cases without a terminator.
int rt_snprintf(char *buf, size_t size, const char *fmt, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 3, 4)))
#endif
    ;

// Whether an rt_snprintf result means the text fit with its terminator: -1
// and the buffer's size both mean it did not.
inline int rt_fits(int written, size_t size) { return written >= 0 && (size_t)written < size; }

// _stricmp: ASCII case-insensitive compare.
int rt_stricmp(const char *a, const char *b);

#endif
