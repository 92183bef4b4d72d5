// Quoting for the Windows command line: fixed cases, a seeded round trip
// through the splitter, and the same round trip through a real child.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <iostream>
#include <random>
#include <string>
#include <vector>

#include "ms_cmdline.h"
#include "spawn_capture.h"
#include "tev_morl_entry.h"

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#endif

namespace {

// Remembers every request, so that a test can check the one allocation.
std::vector<size_t> requested;
bool refuse = false;
void *recording_alloc(size_t n) {
  requested.push_back(n);
  return refuse ? nullptr : malloc(n);
}

std::string quote(const std::string &arg) {
  char *q = quote_argument(arg.c_str(), malloc);
  std::string out = q ? q : "<null>";
  free(q);
  return out;
}

// Splits the program word and the quoted words joined with single blanks, as
// _spawnv joins them, and expects the program name and the words back.
void expect_round_trip(const std::vector<std::string> &args) {
  std::vector<std::string> want{"C:\\Program Files\\zud\\bin\\perl.exe"};
  std::string line = "\"" + want[0] + "\"";
  for (const std::string &arg : args)
    line += " " + quote(arg);
  want.insert(want.end(), args.begin(), args.end());
  EXPECT_EQ(ms_split_command_line(line.c_str()), want) << "line: " << line;
}

TEST(QuoteArgument, FixedCasesAndRefusals) {
  const std::pair<const char *, const char *> rows[] = {
      {"", "\"\""},
      {"hello world", "\"hello world\""},
      {"D:\\tools\\sdk\\bin", "\"D:\\tools\\sdk\\bin\""},
      {"dir\\\\\\", "\"dir\\\\\\\\\\\\\""},
      {"a\\\\\"b", "\"a\\\\\\\\\\\"b\""},
      {"\"", "\"\\\"\""},
      {"\\\\server\\share", "\"\\\\server\\share\""},
      {"\xE9t\xE9 \xFF", "\"\xE9t\xE9 \xFF\""}};
  for (const auto &[arg, quoted] : rows) {
    requested.clear();
    char *q = quote_argument(arg, recording_alloc);
    EXPECT_STREQ(q, quoted) << arg;
    EXPECT_EQ(requested, std::vector<size_t>{strlen(quoted) + 1}) << arg;
    free(q);
    expect_round_trip({arg});
  }
  requested.clear();
  EXPECT_EQ(quote_argument(nullptr, recording_alloc), nullptr);
  EXPECT_EQ(quote_argument("x", nullptr), nullptr);
  EXPECT_TRUE(requested.empty());
  refuse = true;
  EXPECT_EQ(quote_argument("a b", recording_alloc), nullptr);
  refuse = false;
  EXPECT_EQ(requested, std::vector<size_t>{6});
}

// Deterministic random arguments. Every byte class the parser treats apart
// appears: blanks, tabs, quotes, backslash runs before a quote, elsewhere and
// at the end, letters, bytes 0x80-0xFF, and the empty word.
struct ArgumentSource {
  std::mt19937 gen;
  unsigned below(unsigned n) { return gen() % n; }

  std::string next(bool high_bytes) {
    if (below(16) == 0)
      return "";
    std::string s;
    for (unsigned runs = 1 + below(10); runs > 0; --runs) {
      const unsigned kind = below(8);
      if (kind == 3 || kind == 4) // a run of backslashes, before a quote for 3
        s.append(1 + below(4), '\\');
      if (kind < 4)
        s += " \t\"\""[kind];
      else if (kind == 7 && high_bytes)
        s += (char)(0x80 + below(0x80));
      else if (kind != 4)
        s += (char)((below(2) ? 'a' : 'A') + below(26));
    }
    if (below(5) == 0)
      s.append(1 + below(4), '\\');
    return s;
  }
};

// Words that other quoting libraries' tests found hard, then random ones.
TEST(QuoteArgument, WordsSurviveSplitting) {
  expect_round_trip({"C:\\", " C:\\", " 2slashes\\\\", "aa\"bb", "\" \\\" \\", "ab\"c", " \\",
                     "a\\\\b\\ c", "\\\\\"", "C:\\Program Files (x32)\\Common\\",
                     "hello\\\\\"world", "hello world\\", "has\\\\ trailing\\", ""});
  ArgumentSource source{std::mt19937(20240611)};
  for (int batch = 0; batch < 500 && !HasFailure(); ++batch) {
    std::vector<std::string> args;
    for (int i = 0; i < 40; ++i)
      args.push_back(source.next(true));
    expect_round_trip(args);
  }
}

// A Windows child reads its command line through the ANSI code page: only a
// single-byte one gives every byte 0x80-0xFF back unchanged (wine takes it
// from the locale: LANG=ja_JP.UTF-8, for one, gives a double-byte page).
bool high_bytes_reach_child() {
#ifdef _WIN32
  CPINFO info;
  return GetCPInfo(CP_ACP, &info) && info.MaxCharSize == 1;
#else
  return true;
#endif
}

// The child's own runtime parses what the spawn made of our quoted words.
// Batches stay well below the 32,767-character command-line limit.
TEST(QuoteArgument, RandomWordsReachAChildIntact) {
  const bool high_bytes = high_bytes_reach_child();
  if (!high_bytes)
    std::cout << "ANSI code page is multi-byte: no bytes 0x80-0xFF sent\n";
  ArgumentSource source{std::mt19937(7)};
  for (int batch = 0; batch < 6; ++batch) {
    std::vector<std::string> args;
    std::string want = std::string("argv[0]=<") + ARGV_ECHO_PATH + ">\n";
    for (size_t length = strlen(ARGV_ECHO_PATH) + 3; args.size() < 2000;) {
      std::string arg = source.next(high_bytes);
      if ((length += quote(arg).size() + 1) > 30000)
        break;
      args.push_back(arg);
      want += "argv[" + std::to_string(args.size()) + "]=<" + arg + ">\n";
    }
    std::string out;
    ASSERT_EQ(run_capture(ARGV_ECHO_PATH, args, &out), 0);
    ASSERT_EQ(out.substr(0, want.size()), want) << "batch " << batch;
  }
}

} // namespace
