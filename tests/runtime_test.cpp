// The runtime seam as the locator and the launcher rely on it, and the
// command-line splitter that the native spawn and the quoting tests stand on.
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "fs_tree.h"
#include "ms_cmdline.h"
#include "runtime.h"
#include "spawn_capture.h"
#include "tev_morl_entry.h"

namespace {

namespace fs = std::filesystem;

#ifdef _WIN32
const bool native = false;
#else
const bool native = true;
#endif

TEST(SplitCommandLine, HandWrittenLines) {
  const std::pair<const char *, std::vector<std::string>> rows[] = {
      {"prog a  b\t\tc   ", {"prog", "a", "b", "c"}},
      {"\"C:\\Program Files\\x.exe\" a", {"C:\\Program Files\\x.exe", "a"}},
      // The program name knows no escapes: a backslash stays, a quote toggles.
      {"C:\\dir\\\"x y\"\\\" a", {"C:\\dir\\x y\\ a"}},
      {"\"a\\\\\"b c", {"a\\\\b", "c"}},
      {" lead a", {"", "lead", "a"}},
      {"", {""}},
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
      {"p \"x\ty\"\tz", {"p", "x\ty", "z"}}};
  for (const auto &[line, argv] : rows)
    EXPECT_EQ(ms_split_command_line(line), argv) << "line: " << line;
  EXPECT_TRUE(ms_split_command_line(nullptr).empty());
}

std::string forward_slashes(std::string s) {
  for (char &c : s)
    c = c == '\\' ? '/' : c;
  return s;
}

TEST(RuntimeFullpath, ResolvesLikeTheWindowsRuntime) {
  TempTree tree;
  const fs::path previous = fs::current_path();
  fs::current_path(fs::u8path(tree.root()));
  const std::string cwd = forward_slashes(fs::current_path().string());
  const std::string parent = cwd.substr(0, cwd.rfind('/'));
  const std::string drive = cwd.substr(0, cwd.find('/')); // "" natively
  // "$" stands for the current directory, "^" for its parent; a single
  // leading '/' is the root of the current drive. Rows marked true are left
  // out under wine, which puts them on Z: where Windows uses the current drive.
  const std::tuple<const char *, const char *, bool> rows[] = {
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
      {"/", "/", true},
      {"/..", "/", false},
      {"/x/../..", "/", true},
      {"\\x\\y", "/x/y", false},
      {"//server/share/../x", "//server/share/x", false},
      {"\\\\server\\share\\dir\\", "//server/share/dir/", false}};
  for (const auto &[path, pattern, native_only] : rows) {
    if (native_only && !native)
      continue;
    std::string want = pattern;
    if (want[0] == '$' || want[0] == '^')
      want = (want[0] == '$' ? cwd : parent) + want.substr(1);
    else if (want.compare(0, 2, "//") != 0)
      want = drive + want;
    char out[TEV_MORL_ENTRY_MAX_PATH];
    ASSERT_EQ(rt_fullpath(out, path, sizeof out), out) << path;
    // Natively byte for byte; the Windows runtime may answer with '\'.
    EXPECT_EQ(native ? std::string(out) : forward_slashes(out), want) << path;
  }
  char out[TEV_MORL_ENTRY_MAX_PATH];
  EXPECT_EQ(rt_fullpath(out, nullptr, sizeof out), nullptr);
  fs::current_path(previous);
}

TEST(RuntimeFullpath, NativeRootAndLengthLimit) {
  if (!native)
    GTEST_SKIP() << "wine's runtime takes no path past 259 characters";
  const std::string a4094 = "/" + std::string(4094, 'a');
  // The length of the result; 0 when it must fail.
  const std::pair<std::string, size_t> rows[] = {
      {a4094, 4095}, {a4094 + "a", 0}, {a4094 + "/b/..", 4095}, {a4094 + "/", 0}};
  for (const auto &[path, length] : rows) {
    char out[TEV_MORL_ENTRY_MAX_PATH];
    const char *got = rt_fullpath(out, path.c_str(), sizeof out);
    EXPECT_EQ(got ? strlen(got) : 0, length) << path.size();
  }
  // From the root itself: no doubled '/' that would read as a network path.
  const fs::path previous = fs::current_path();
  fs::current_path("/");
  char out[TEV_MORL_ENTRY_MAX_PATH];
  const char *got = rt_fullpath(out, "x/", sizeof out);
  fs::current_path(previous);
  EXPECT_STREQ(got, "/x/");
}

TEST(RuntimePutenv, SetsReplacesAndRemoves) {
  // What getenv then sees; null for absent.
  const std::tuple<const char *, int, const char *> rows[] = {
      {"ZUD_RT_PUTENV=one", 0, "one"}, {"ZUD_RT_PUTENV=two words", 0, "two words"},
      {"ZUD_RT_PUTENV=a=b", 0, "a=b"}, {"ZUD_RT_PUTENV=", 0, nullptr},
      {"ZUD_RT_PUTENV=", 0, nullptr},  {"ZUD_RT_PUTENV", -1, nullptr}};
  for (const auto &[assignment, rc, value] : rows) {
    // The environment keeps its own copy: the text is gone after the call.
    std::string text = assignment;
    EXPECT_EQ(rt_putenv(&text[0]), rc) << assignment;
    text.assign(text.size(), 'X');
    const char *got = getenv("ZUD_RT_PUTENV");
    EXPECT_EQ(std::string(got ? got : "(absent)"), value ? value : "(absent)") << assignment;
  }
}

TEST(RuntimeSnprintf, LegacyResultsAndNoTerminatorWhenFull) {
  // The result, and the 8 bytes of the buffer then.
  const std::tuple<const char *, int, const char *> rows[] = {
      {"abc", 3, "abc\0####"},       {"", 0, "\0#######"},
      {"abcdefg", 7, "abcdefg\0"},   {"abcdefgh", 8, "abcdefgh"},
      {"abcdefghi", -1, "abcdefgh"}, {"abcdefghijklmnop", -1, "abcdefgh"}};
  for (const auto &[text, result, buffer] : rows) {
    char buf[12];
    memset(buf, '#', sizeof buf);
    EXPECT_EQ(rt_snprintf(buf, 8, "%s", text), result) << text;
    EXPECT_EQ(std::string(buf, 12), std::string(buffer, 8) + "####") << text;
  }
  char buf[16];
  EXPECT_EQ(rt_snprintf(buf, sizeof buf, "%s/%d;%s", "x", 42, "y"), 6);
  EXPECT_STREQ(buf, "x/42;y");
}

TEST(RuntimeStricmp, AsciiCaseOnly) {
  const std::tuple<const char *, const char *, int> rows[] = {
      {".exe", ".EXE", 0}, {".Exe", ".exe", 0}, {"", "", 0},    {"abc", "abd", -1},
      {"ABD", "abc", 1},   {"ab", "abc", -1},   {"abc", "", 1}, {"[", "a", -1}};
  for (const auto &[a, b, sign] : rows) {
    const int got = rt_stricmp(a, b);
    EXPECT_EQ((got > 0) - (got < 0), sign) << a << " vs " << b;
  }
}

// The child's statuses, and the environment as rt_putenv left it, with the
// variables it reports in their fixed order.
TEST(RuntimeSpawn, StatusesAndEnvironment) {
  std::string out;
  for (const auto &[status, want] : {std::pair<const char *, int>{"", 0}, {"0", 0}, {"42", 42}}) {
    ASSERT_EQ(rt_putenv((std::string("ARGV_ECHO_STATUS=") + status).c_str()), 0);
    EXPECT_EQ(run_capture(ARGV_ECHO_PATH, {"x"}, &out), want) << status;
  }
  ASSERT_EQ(rt_putenv("ARGV_ECHO_STATUS=200"), 0);
  ASSERT_EQ(rt_putenv("PERL5LIB=D:/sdk/lib;x"), 0);
  ASSERT_EQ(rt_putenv("TALLOVA_64BIT="), 0);
  ASSERT_EQ(rt_putenv("PERL_BADLANG=0"), 0);
  EXPECT_EQ(run_capture(ARGV_ECHO_PATH, {"a b", ""}, &out), 200);
  ASSERT_EQ(rt_putenv("ARGV_ECHO_STATUS="), 0);
  const std::string argv_part =
      std::string("argv[0]=<") + ARGV_ECHO_PATH + ">\nargv[1]=<a b>\nargv[2]=<>\nenv PATH=<";
  EXPECT_EQ(out.substr(0, argv_part.size()), argv_part);
  EXPECT_NE(out.find("\nenv PERL5LIB=<D:/sdk/lib;x>\nenv TALLOVA_64BIT unset\n"), out.npos) << out;
  const std::string tail = "\nenv PERL_BADLANG=<0>\n";
  EXPECT_EQ(out.substr(out.size() - std::min(out.size(), tail.size())), tail);

  TempTree tree;
  EXPECT_EQ(run_capture(tree.path("no-such-program.exe").c_str(), {}, &out), -1);
#ifndef _WIN32
  EXPECT_EQ(run_capture("/bin/sh", {"-c", "kill -TERM $$"}, &out), 128 + SIGTERM);
  EXPECT_EQ(run_capture("/bin/sh", {"-c", "exit 7"}, &out), 7);
#endif
}

} // namespace
