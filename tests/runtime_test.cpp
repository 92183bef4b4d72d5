// The runtime seam as the locator and the launcher rely on it, and the
// command-line splitter that the native spawn and the quoting tests stand on.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "fs_tree.h"
#include "ms_cmdline.h"
#include "runtime.h"
#include "spawn_capture.h"
#include "tev_morl_entry.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

namespace fs = std::filesystem;

#ifdef _WIN32
const bool native = false;
#else
const bool native = true;
#endif

TEST(SplitCommandLine, HandWrittenLines) {
  struct Row {
    const char *line;
    std::vector<std::string> argv;
  };
  const Row rows[] = {
      {"prog", {"prog"}},
      {"prog a  b\t\tc   ", {"prog", "a", "b", "c"}},
      {"\"C:\\Program Files\\x.exe\" a", {"C:\\Program Files\\x.exe", "a"}},
      // The program name knows no escapes: a backslash stays, a quote toggles.
      {"C:\\dir\\\"x y\"\\\" a", {"C:\\dir\\x y\\ a"}},
      {"\"a\\\\\"b c", {"a\\\\b", "c"}},
      {" lead a", {"", "lead", "a"}},
      {"", {""}},
      {"p \"\"", {"p", ""}},
      {"p \"\" \"\"", {"p", "", ""}},
      {"p \"a b\"c d", {"p", "a bc", "d"}},
      {"p a\\\\b", {"p", "a\\\\b"}},
      {"p a\\\"b", {"p", "a\"b"}},
      {"p a\\\\\"b c\"", {"p", "a\\b c"}},
      {"p a\\\\\\\"b", {"p", "a\\\"b"}},
      {"p \\\\\\\\\"", {"p", "\\\\"}},
      // "" inside a quoted span: a literal quote, and the span goes on.
      {"p \"a\"\"b c\"", {"p", "a\"b c"}},
      {"p \"open to end", {"p", "open to end"}},
      {"p trailing\\", {"p", "trailing\\"}},
      {"p \"x\ty\"\tz", {"p", "x\ty", "z"}},
  };
  for (const Row &row : rows)
    EXPECT_EQ(ms_split_command_line(row.line), row.argv) << "line: " << row.line;
  EXPECT_TRUE(ms_split_command_line(nullptr).empty());
}

// Makes a TempTree the current directory for the life of the object.
struct InTempDir {
  TempTree tree;
  fs::path previous = fs::current_path();
  InTempDir() { fs::current_path(fs::u8path(tree.root())); }
  ~InTempDir() { fs::current_path(previous); }
};

std::string forward_slashes(std::string s) {
  for (char &c : s)
    if (c == '\\')
      c = '/';
  return s;
}

TEST(RuntimeFullpath, ResolvesLikeTheWindowsRuntime) {
  InTempDir here;
  const std::string cwd = forward_slashes(fs::current_path().string());
  const std::string parent = cwd.substr(0, cwd.rfind('/'));
  const std::string drive = cwd.substr(0, cwd.find('/')); // "" natively
  struct Row {
    const char *path;
    // "$" stands for the current directory, "^" for its parent; a single
    // leading '/' is the root of the current drive.
    const char *want;
    bool native_only; // wine puts these on Z:, Windows on the current drive
  };
  const Row rows[] = {
      {"a", "$/a", false},
      {"a/b/../c", "$/a/c", false},
      {"", "$", false},
      {".", "$", false},
      {"./a/./b", "$/a/b", false},
      {"..", "^", false},
      {"../sib", "^/sib", false},
      {"a\\b\\..\\c", "$/a/c", false},
      {"a/", "$/a/", false},
      {"a/.", "$/a", false},
      {"a//b", "$/a/b", false},
      {"missing/not/there", "$/missing/not/there", false},
      {"/", "/", true},
      {"/..", "/", false},
      {"/x/../..", "/", true},
      {"\\x\\y", "/x/y", false},
      {"//server/share/../x", "//server/share/x", false},
      {"\\\\server\\share\\dir\\", "//server/share/dir/", false},
  };
  for (const Row &row : rows) {
    if (row.native_only && !native)
      continue;
    std::string want = row.want;
    if (want[0] == '$')
      want = cwd + want.substr(1);
    else if (want[0] == '^')
      want = parent + want.substr(1);
    else if (want.compare(0, 2, "//") != 0)
      want = drive + want;
    char out[TEV_MORL_ENTRY_MAX_PATH];
    ASSERT_EQ(rt_fullpath(out, row.path, sizeof out), out) << row.path;
    if (native) {
      EXPECT_STREQ(out, want.c_str()) << row.path;
    } else {
      EXPECT_EQ(forward_slashes(out), want) << row.path;
    }
  }
  char out[TEV_MORL_ENTRY_MAX_PATH];
  EXPECT_EQ(rt_fullpath(out, nullptr, sizeof out), nullptr);
}

TEST(RuntimeFullpath, NativeRootAndLengthLimit) {
  if (!native)
    GTEST_SKIP() << "wine's runtime takes no path past 259 characters";
  struct Row {
    std::string path;
    size_t length; // of the result; 0 when it must fail
  };
  const Row rows[] = {
      {"/" + std::string(4094, 'a'), 4095},
      {"/" + std::string(4095, 'a'), 0},
      {"/" + std::string(4094, 'a') + "/b/..", 4095},
      {"/" + std::string(4094, 'a') + "/", 0},
  };
  for (const Row &row : rows) {
    std::vector<char> out(TEV_MORL_ENTRY_MAX_PATH);
    const char *got = rt_fullpath(out.data(), row.path.c_str(), out.size());
    EXPECT_EQ(got ? strlen(got) : 0, row.length) << row.path.size();
  }
  // From the root itself: no doubled '/' that would read as a network path.
  const fs::path previous = fs::current_path();
  fs::current_path("/");
  char out[TEV_MORL_ENTRY_MAX_PATH];
  const char *got = rt_fullpath(out, "x/", sizeof out);
  fs::current_path(previous);
  EXPECT_STREQ(got, "/x/");
}

TEST(RuntimeStatMode, TellsDirectoriesFromFiles) {
  TempTree tree;
  tree.lay_out({"dir/", "dir/file"});
  struct Row {
    std::string path;
    int rc; // 0 or "non-zero" as 1
    unsigned mode;
  };
  std::vector<Row> rows = {
      {tree.path("dir"), 0, RT_MODE_DIR},
      {tree.path("dir/file"), 0, RT_MODE_REG},
      {tree.path("dir\\file"), 0, RT_MODE_REG},
      {tree.path("missing"), 1, 0},
  };
#ifndef _WIN32
  // Links are followed; a pipe is of neither kind.
  fs::create_directory_symlink(tree.path("dir"), tree.path("link"));
  ASSERT_EQ(mkfifo(tree.path("fifo").c_str(), 0600), 0);
  rows.push_back({tree.path("link"), 0, RT_MODE_DIR});
  rows.push_back({tree.path("fifo"), 0, 0});
#endif
  for (const Row &row : rows) {
    unsigned mode = 0;
    const int rc = rt_stat_mode(row.path.c_str(), &mode);
    EXPECT_EQ(rc != 0, row.rc != 0) << row.path;
    if (rc == 0) {
      EXPECT_EQ(mode & (RT_MODE_DIR | RT_MODE_REG), row.mode) << row.path;
    }
  }
}

TEST(RuntimePutenv, SetsReplacesAndRemoves) {
  struct Row {
    const char *assignment;
    int rc;
    const char *value; // what getenv then sees; null for absent
  };
  const Row rows[] = {
      {"ZUD_RT_PUTENV=one", 0, "one"}, {"ZUD_RT_PUTENV=two words", 0, "two words"},
      {"ZUD_RT_PUTENV=a=b", 0, "a=b"}, {"ZUD_RT_PUTENV=", 0, nullptr},
      {"ZUD_RT_PUTENV=", 0, nullptr},  {"ZUD_RT_PUTENV", -1, nullptr},
  };
  for (const Row &row : rows) {
    // The environment keeps its own copy: the text is gone after the call.
    std::vector<char> text(row.assignment, row.assignment + strlen(row.assignment) + 1);
    EXPECT_EQ(rt_putenv(text.data()), row.rc) << row.assignment;
    std::fill(text.begin(), text.end(), 'X');
    const char *got = getenv("ZUD_RT_PUTENV");
    if (row.value) {
      EXPECT_STREQ(got, row.value) << row.assignment;
    } else {
      EXPECT_EQ(got, nullptr) << row.assignment;
    }
  }
}

TEST(RuntimeSnprintf, LegacyResultsAndNoTerminatorWhenFull) {
  struct Row {
    const char *text;
    int result;
    const char *buffer; // the 8 bytes, then the guard
  };
  const Row rows[] = {
      {"abc", 3, "abc\0####"},       {"", 0, "\0#######"},
      {"abcdefg", 7, "abcdefg\0"},   {"abcdefgh", 8, "abcdefgh"},
      {"abcdefghi", -1, "abcdefgh"}, {"abcdefghijklmnop", -1, "abcdefgh"},
  };
  for (const Row &row : rows) {
    char buf[12];
    memset(buf, '#', sizeof buf);
    EXPECT_EQ(rt_snprintf(buf, 8, "%s", row.text), row.result) << row.text;
    EXPECT_EQ(std::string(buf, 12), std::string(row.buffer, 8) + "####") << row.text;
  }
  char buf[16];
  EXPECT_EQ(rt_snprintf(buf, sizeof buf, "%s/%d;%s", "x", 42, "y"), 6);
  EXPECT_STREQ(buf, "x/42;y");
}

TEST(RuntimeStricmp, AsciiCaseOnly) {
  struct Row {
    const char *a, *b;
    int sign;
  };
  const Row rows[] = {
      {".exe", ".EXE", 0}, {".Exe", ".exe", 0}, {"", "", 0},    {"abc", "abd", -1},
      {"abd", "ABC", 1},   {"ab", "abc", -1},   {"abc", "", 1}, {"[", "a", -1},
  };
  for (const Row &row : rows) {
    const int got = rt_stricmp(row.a, row.b);
    EXPECT_EQ((got > 0) - (got < 0), row.sign) << row.a << " vs " << row.b;
  }
}

TEST(RuntimeSpawn, Statuses) {
  struct Row {
    const char *status; // ARGV_ECHO_STATUS, null for unset
    int want;
  };
  const Row rows[] = {{nullptr, 0}, {"0", 0}, {"42", 42}, {"200", 200}};
  for (const Row &row : rows) {
    ASSERT_EQ(
        rt_putenv((std::string("ARGV_ECHO_STATUS=") + (row.status ? row.status : "")).c_str()), 0);
    std::string out;
    EXPECT_EQ(run_capture(ARGV_ECHO_PATH, {"x"}, &out), row.want) << row.status;
    EXPECT_EQ(out.substr(0, 9), "argv[0]=<");
  }
  ASSERT_EQ(rt_putenv("ARGV_ECHO_STATUS="), 0);

  TempTree tree;
  std::string out;
  EXPECT_EQ(run_capture(tree.path("no-such-program.exe").c_str(), {}, &out), -1);
}

// The child sees the environment as rt_putenv left it, and the variables it
// reports come in their fixed order.
TEST(RuntimeSpawn, ChildInheritsTheEnvironment) {
  ASSERT_EQ(rt_putenv("PERL5LIB=D:/sdk/lib;x"), 0);
  ASSERT_EQ(rt_putenv("TALLOVA_64BIT="), 0);
  ASSERT_EQ(rt_putenv("PERL_BADLANG=0"), 0);
  std::string out;
  ASSERT_EQ(run_capture(ARGV_ECHO_PATH, {"a b", ""}, &out), 0);
  const std::string argv_part =
      std::string("argv[0]=<") + ARGV_ECHO_PATH + ">\nargv[1]=<a b>\nargv[2]=<>\nenv PATH=<";
  EXPECT_EQ(out.substr(0, argv_part.size()), argv_part);
  EXPECT_NE(out.find("\nenv PERL5LIB=<D:/sdk/lib;x>\nenv TALLOVA_64BIT unset\n"), std::string::npos)
      << out;
  const std::string tail = "\nenv PERL_BADLANG=<0>\n";
  ASSERT_GE(out.size(), tail.size());
  EXPECT_EQ(out.substr(out.size() - tail.size()), tail);
}

#ifndef _WIN32
TEST(RuntimeSpawn, SignalGivesOneHundredTwentyEightPlusItsNumber) {
  std::string out;
  EXPECT_EQ(run_capture("/bin/sh", {"-c", "kill -TERM $$"}, &out), 128 + SIGTERM);
  EXPECT_EQ(run_capture("/bin/sh", {"-c", "exit 7"}, &out), 7);
}
#endif

} // namespace
