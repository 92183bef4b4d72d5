// Splits a command line the way the newer Microsoft runtimes build argv.
#include "ms_cmdline.h"

static bool is_blank(char c) { return c == ' ' || c == '\t'; }

// The program name: a '"' toggles quoting and is dropped, every other byte is
// kept as it is. It ends at the first blank outside quotes, so a line that
// begins with a blank has an empty program name.
static const char *split_program_name(const char *p, std::string *word) {
  bool quoted = false;
  for (; *p; ++p) {
    if (*p == '"')
      quoted = !quoted;
    else if (!quoted && is_blank(*p))
      break;
    else
      word->push_back(*p);
  }
  return p;
}

// One argument word from p, which is not a blank; returns where it ended.
static const char *split_argument(const char *p, std::string *word) {
  bool quoted = false;
  for (;;) {
    size_t backslashes = 0;
    while (*p == '\\') {
      ++backslashes;
      ++p;
    }
    bool literal = true;
    if (*p == '"') {
      if (backslashes % 2 == 0) {
        // "" inside a quoted span is a literal quote and the span goes on.
        if (quoted && p[1] == '"')
          ++p;
        else {
          literal = false;
          quoted = !quoted;
        }
      }
      backslashes /= 2;
    }
    word->append(backslashes, '\\');
    if (*p == '\0' || (!quoted && is_blank(*p)))
      return p;
    if (literal)
      word->push_back(*p);
    ++p;
  }
}

std::vector<std::string> ms_split_command_line(const char *line) {
  std::vector<std::string> words;
  if (!line)
    return words;
  words.emplace_back();
  const char *p = split_program_name(line, &words.back());
  for (;;) {
    while (is_blank(*p))
      ++p;
    if (*p == '\0')
      return words;
    words.emplace_back();
    p = split_argument(p, &words.back());
  }
}
