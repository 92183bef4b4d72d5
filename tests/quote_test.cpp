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
void *counting_alloc(size_t n) {
  requested.push_back(n);
  return malloc(n);
}
void *failing_alloc(size_t n) {
  requested.push_back(n);
  return nullptr;
}

std::string quote(const std::string &arg) {
  char *q = quote_argument(arg.c_str(), malloc);
  std::string out = q ? q : "<null>";
  free(q);
  return out;
}

const char program_word[] = "\"C:\\Program Files\\zud\\bin\\perl.exe\"";
const char program_name[] = "C:\\Program Files\\zud\\bin\\perl.exe";

// Splits the program word and the quoted words joined with single blanks, as
// _spawnv joins them, and expects the program name and the words back.
void expect_round_trip(const std::vector<std::string> &args) {
  std::string line = program_word;
  for (const std::string &arg : args)
    line += " " + quote(arg);
  std::vector<std::string> want{program_name};
  want.insert(want.end(), args.begin(), args.end());
  EXPECT_EQ(ms_split_command_line(line.c_str()), want) << "line: " << line;
}

TEST(QuoteArgument, FixedCases) {
  struct Row {
    const char *arg;
    const char *quoted;
  };
  const Row rows[] = {
      {"", "\"\""},
      {"zud", "\"zud\""},
      {"hello world", "\"hello world\""},
      {"tab\there", "\"tab\there\""},
      {"D:\\tools\\sdk\\bin", "\"D:\\tools\\sdk\\bin\""},
      {"dir\\", "\"dir\\\\\""},
      {"dir\\\\\\", "\"dir\\\\\\\\\\\\\""},
      {"a\"b", "\"a\\\"b\""},
      {"a\\\"b", "\"a\\\\\\\"b\""},
      {"a\\\\\"b", "\"a\\\\\\\\\\\"b\""},
      {"\"", "\"\\\"\""},
      {"\\\\server\\share", "\"\\\\server\\share\""},
      {"\xE9t\xE9 \xFF", "\"\xE9t\xE9 \xFF\""},
  };
  for (const Row &row : rows) {
    requested.clear();
    char *q = quote_argument(row.arg, counting_alloc);
    ASSERT_NE(q, nullptr) << row.arg;
    EXPECT_STREQ(q, row.quoted) << row.arg;
    EXPECT_EQ(requested, std::vector<size_t>{strlen(row.quoted) + 1}) << row.arg;
    free(q);
    expect_round_trip({row.arg});
  }
}

TEST(QuoteArgument, RefusesWithoutCallingTheAllocatorNeedlessly) {
  requested.clear();
  EXPECT_EQ(quote_argument(nullptr, counting_alloc), nullptr);
  EXPECT_EQ(quote_argument("x", nullptr), nullptr);
  EXPECT_TRUE(requested.empty());
  EXPECT_EQ(quote_argument("a b", failing_alloc), nullptr);
  EXPECT_EQ(requested, std::vector<size_t>{6});
}

// Words that other quoting libraries' tests found hard.
TEST(QuoteArgument, KnownHardWordsSurviveSplitting) {
  expect_round_trip({"C:\\", " C:\\", " 2slashes\\\\", "aa\"bb", "\" \\\" \\", "ab\"c", " \\",
                     "a\\\\b\\ c", "\\\\\"", "C:\\Program Files (x32)\\Common\\",
                     "hello\\\\\"world", "hello world\\", "has\\\\ trailing\\", ""});
}

// Deterministic random arguments. Every byte class the parser treats apart
// appears: blanks, tabs, quotes, backslash runs before a quote, elsewhere and
// at the end, letters, bytes 0x80-0xFF, and the empty word.
struct ArgumentSource {
  std::mt19937 gen;
  explicit ArgumentSource(unsigned seed) : gen(seed) {}
  unsigned below(unsigned n) { return gen() % n; }

  std::string next(bool high_bytes) {
    if (below(16) == 0)
      return "";
    std::string s;
    for (unsigned pieces = 1 + below(10); pieces > 0; --pieces) {
      switch (below(8)) {
      case 0:
        s += ' ';
        break;
      case 1:
        s += '\t';
        break;
      case 2:
        s += '"';
        break;
      case 3:
        s.append(1 + below(4), '\\');
        s += '"';
        break;
      case 4:
        s.append(1 + below(4), '\\');
        break;
      case 7:
        if (high_bytes) {
          s += (char)(0x80 + below(0x80));
          break;
        }
        [[fallthrough]];
      default:
        s += (char)((below(2) ? 'a' : 'A') + below(26));
      }
    }
    if (below(5) == 0)
      s.append(1 + below(4), '\\');
    return s;
  }
};

TEST(QuoteArgument, RandomWordsSurviveSplitting) {
  ArgumentSource source(20240611);
  const int total = 20000, batch = 40;
  for (int done = 0; done < total; done += batch) {
    std::vector<std::string> args;
    for (int i = 0; i < batch; ++i)
      args.push_back(source.next(true));
    expect_round_trip(args);
    if (HasFailure())
      return;
  }
}

std::string expected_echo(const std::string &program, const std::vector<std::string> &args) {
  std::string out = "argv[0]=<" + program + ">\n";
  for (size_t i = 0; i < args.size(); ++i)
    out += "argv[" + std::to_string(i + 1) + "]=<" + args[i] + ">\n";
  return out;
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
  ArgumentSource source(7);
  for (int batch = 0; batch < 6; ++batch) {
    std::vector<std::string> args;
    size_t length = strlen(ARGV_ECHO_PATH) + 3;
    while (args.size() < 2000) {
      std::string arg = source.next(high_bytes);
      length += quote(arg).size() + 1;
      if (length > 30000)
        break;
      args.push_back(arg);
    }
    std::string out;
    ASSERT_EQ(run_capture(ARGV_ECHO_PATH, args, &out), 0);
    const std::string want = expected_echo(ARGV_ECHO_PATH, args);
    ASSERT_EQ(out.substr(0, want.size()), want) << "batch " << batch;
  }
}

} // namespace
