// STUB: to be written.
#include "ms_cmdline.h"
std::vector<std::string> ms_split_command_line(const char *) { return {}; }
