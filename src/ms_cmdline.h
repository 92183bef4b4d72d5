// How the Microsoft C runtime splits a command line into argv. The native
// spawn uses it to hand a child exactly what Windows would, and the tests use
// it to read quoted arguments back.
#ifndef MS_CMDLINE_H
#define MS_CMDLINE_H

#include <string>
#include <vector>

// The first word follows the program-name rule (a '"' only toggles quoting,
// backslashes are literal) and is always there, empty for an empty line or
// one that begins with a blank; every later word follows the argument rules,
// with "" inside a quoted span read as a literal '"'. A null line gives no
// word.
std::vector<std::string> ms_split_command_line(const char *line);

#endif
