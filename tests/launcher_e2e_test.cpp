// The built launcher run as a process against installation trees laid out
// here. Natively the interpreter is the system's Perl running a script that
// prints what argv_echo prints; under wine it is a copy of argv_echo. So one
// expectation serves both builds, compared from argv[1] on.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <fcntl.h>
#ifdef _WIN32
#include <io.h>
int fd_open(const char *p) { return _open(p, _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY, 0600); }
int fd_dup(int fd) { return _dup(fd); }
int fd_dup2(int from, int to) { return _dup2(from, to); }
int fd_close(int fd) { return _close(fd); }
const char kExeSuffix[] = ".exe";
const int kNotStarted = -1;
const bool kRealPerl = false;
// The runtime's full-path conversion takes no path over 259 characters.
const bool kLongPaths = false;
const char kVersionMarker[] = "argv[1]=<-v>";
#else
#include <unistd.h>
int fd_open(const char *p) { return open(p, O_WRONLY | O_CREAT | O_TRUNC, 0600); }
int fd_dup(int fd) { return dup(fd); }
int fd_dup2(int from, int to) { return dup2(from, to); }
int fd_close(int fd) { return close(fd); }
const char kExeSuffix[] = "";
const int kNotStarted = 255; // -1 as a POSIX parent sees it
const bool kRealPerl = true;
const bool kLongPaths = true;
const char kVersionMarker[] = "This is perl";
#endif

#include "fs_tree.h"
#include "runtime.h"
#include "spawn_capture.h"

namespace fs = std::filesystem;

namespace {

// What the launcher inherits as PATH: one entry that names nothing.
const char kInheritedPath[] = "/zud-test-no-such-dir";

const char kScript[] = R"(print "argv[0]=<$^X>\n";
print "argv[1]=<$0>\n";
print "argv[", $_ + 2, "]=<$ARGV[$_]>\n" for 0 .. $#ARGV;
for my $name (qw(PATH LD_LIBRARY_PATH PERL5LIB TALLOVA_64BIT TALLOVA_ROOTDIR ORVEXTAVRINSDKROOT PERL_BADLANG)) {
  if (defined $ENV{$name}) { print "env $name=<$ENV{$name}>\n" } else { print "env $name unset\n" }
}
exit($ENV{ARGV_ECHO_STATUS} // 0);
)";

typedef std::vector<std::string> Lines;

Lines lines_of(const std::string &text) {
  Lines lines;
  for (size_t start = 0, end; start < text.size(); start = end + 1) {
    end = text.find('\n', start);
    end = end == std::string::npos ? text.size() : end;
    lines.push_back(text.substr(start, end - start));
  }
  return lines;
}

std::string text_of(const Lines &lines, size_t from = 0) {
  std::string out;
  for (size_t i = from; i < lines.size(); ++i)
    out += lines[i] + "\n";
  return out;
}

// '|'-separated words; an empty list is no word at all.
Lines words(const std::string &list) {
  Lines out;
  for (size_t start = 0; !list.empty(); start = list.find('|', start) + 1) {
    out.push_back(list.substr(start, list.find('|', start) - start));
    if (list.find('|', start) == std::string::npos)
      break;
  }
  return out;
}

struct Outcome {
  int status;
  std::string out; // line ends as '\n'
  std::string err;
};

// Runs the launcher with its standard error in a file of its own.
Outcome run(const std::string &exe, const Lines &args) {
  static const TempTree scratch;
  const std::string err_file = scratch.path("stderr");
  Outcome r;
  fflush(stderr);
  const int file = fd_open(err_file.c_str()), saved = fd_dup(2);
  fd_dup2(file, 2);
  r.status = run_capture(exe.c_str(), args, &r.out);
  fd_dup2(saved, 2);
  fd_close(saved);
  fd_close(file);
  std::ifstream in(err_file, std::ios::binary);
  r.err.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  in.close();
  fs::remove(err_file);
  for (size_t at = r.out.find("\r\n"); at != std::string::npos; at = r.out.find("\r\n", at))
    r.out.erase(at, 1);
  return r;
}

// The child's lines from argv[1] on (argv[0] too when given); an empty
// value stands for an absent variable.
std::string child_output(const std::string &argv0, const std::string &script, const Lines &args,
                         const Lines &env) {
  static const char *const names[] = {"PATH",          "LD_LIBRARY_PATH", "PERL5LIB",
                                      "TALLOVA_64BIT", "TALLOVA_ROOTDIR", "ORVEXTAVRINSDKROOT",
                                      "PERL_BADLANG"};
  std::string out = argv0.empty() ? "" : "argv[0]=<" + argv0 + ">\n";
  out += "argv[1]=<" + script + ">\n";
  for (size_t i = 0; i < args.size(); ++i)
    out += "argv[" + std::to_string(i + 2) + "]=<" + args[i] + ">\n";
  for (size_t i = 0; i < 7; ++i)
    out += "env " + std::string(names[i]) + (env[i].empty() ? " unset\n" : "=<" + env[i] + ">\n");
  return out;
}

// Drops the interpreter's own line: the system's Perl reports its real path.
std::string without_argv0(const std::string &out) {
  Lines kept;
  for (const std::string &line : lines_of(out))
    if (line.rfind("argv[0]=", 0) != 0)
      kept.push_back(line);
  return text_of(kept);
}

// "%p" in a pattern stands for a pointer as the platform's formatter renders it.
bool matches_masked(const std::string &pattern, const std::string &line) {
  size_t p = 0, l = 0;
  while (p < pattern.size()) {
    if (pattern.compare(p, 2, "%p") == 0) {
      const size_t start = l;
      while (l < line.size() && (isxdigit((unsigned char)line[l]) || line[l] == 'x'))
        ++l;
      if (l == start)
        return false;
      p += 2;
    } else if (l < line.size() && pattern[p] == line[l]) {
      ++p, ++l;
    } else {
      return false;
    }
  }
  return l == line.size();
}

void expect_lines_match(const Lines &expected, const Lines &actual, size_t from) {
  ASSERT_GE(actual.size(), from + expected.size()) << text_of(actual);
  for (size_t i = 0; i < expected.size(); ++i)
    ASSERT_TRUE(matches_masked(expected[i], actual[from + i]))
        << "line " << from + i << "\n  expected: " << expected[i]
        << "\n  actual:   " << actual[from + i];
}

// "R" at the start of the text or of a ';'-separated entry is the SDK root.
std::string in_root(std::string text, const std::string &root) {
  for (size_t at = 0; at < text.size(); at = text.find(';', at) + 1) {
    if (text[at] == 'R' && (at + 1 == text.size() || text[at + 1] == '/'))
      text.replace(at, 1, root);
    if (text.find(';', at) == std::string::npos)
      break;
  }
  return text;
}

// Directory components, each followed by '/', of exactly total characters
// (at least 2); none is longer than a file name may be.
std::string padding(size_t total, char c) {
  std::string out;
  while (total > 0) {
    size_t component = total > 201 ? 200 : total - 1;
    component -= total - (component + 1) == 1 ? 1 : 0; // leave no remainder of one
    out += std::string(component, c) + "/";
    total -= component + 1;
  }
  return out;
}

// An interpreter at rel: the system's Perl natively, argv_echo under wine.
std::string add_interpreter(const TempTree &tree, const std::string &rel) {
  const fs::path path = fs::u8path(tree.path(rel));
  fs::create_directories(path.parent_path());
  if (kRealPerl)
    fs::create_symlink(HOST_PERL, path);
  else
    fs::copy_file(ARGV_ECHO_EXE, path);
  return tree.path(rel);
}

enum SdkParts { SDK_BIN_DIR = 1, PERL_DIR = 2, SUITE = 4, SHARE = 8 };
const int kSdk = SHARE | SDK_BIN_DIR | PERL_DIR;

// Lays out an installation at the tree's root; returns that root.
std::string lay_out_sdk(const TempTree &tree, int parts) {
  tree.lay_out({"host/windows64/bin/", "windows64/lib/torma/windows64/"});
  if (parts & SHARE)
    for (const char *command : {"zud", "zudl", "y++"})
      tree.file(std::string("share/lib/perl/tev/") + command + ".pl", kScript);
  if (parts & SDK_BIN_DIR)
    tree.dir("windows64/bin");
  if (parts & PERL_DIR) {
    tree.dir("host/windows64/bin/perl/lib");
    add_interpreter(tree, "host/windows64/bin/perl/bin/perl.exe");
  }
  if (parts & SUITE)
    tree.lay_out({"tallova/bin64/jre64/bin/", "tallova/drav_builder/bin/", "vyro/bin/"});
  return tree.root();
}

// Copies the built launcher into dir under a command name.
std::string add_launcher(const TempTree &tree, const std::string &dir, const std::string &name) {
  tree.dir(dir);
  const std::string path = tree.path(dir + "/" + name + kExeSuffix);
  fs::copy_file(LAUNCHER_EXE, fs::u8path(path));
  return path;
}

std::string relative_echo() {
  const std::string rel =
      fs::relative(fs::u8path(ARGV_ECHO_EXE), fs::current_path()).generic_string();
  return rel.find('/') == std::string::npos ? "./" + rel : rel;
}

std::string script_of(const std::string &root, const std::string &command) {
  return root + "/share/lib/perl/tev/" + command + ".pl";
}

// Every variable the launcher reads or sets starts out absent, PATH fixed.
class LauncherRun : public testing::Test {
protected:
  void SetUp() override {
    for (const char *name :
         {"PATH", "LD_LIBRARY_PATH", "PERL5LIB", "TALLOVA_64BIT", "TALLOVA_ROOTDIR",
          "ORVEXTAVRINSDKROOT", "PERL_BADLANG", "TALLOVA_ROOTDIR_OVERRIDE", "TALLOVA_BINDIR",
          "TEV_TORMA_ROOT_OVERRIDE", "ZUDL_ENTRY_DEBUG", "ARGV_ECHO_STATUS"}) {
      const char *value = getenv(name);
      saved_.push_back(std::string(name) + "=" + (value ? value : ""));
      set(name, "");
    }
    set("PATH", kInheritedPath);
  }
  void TearDown() override {
    for (const std::string &assignment : saved_)
      rt_putenv(assignment.c_str());
  }
  static void set(const std::string &name, const std::string &value) {
    ASSERT_EQ(rt_putenv((name + "=" + value).c_str()), 0) << name;
  }

private:
  Lines saved_;
};

#define SDK_DIRS "R/bin;R/host/windows64/bin;R/windows64/bin"
#define SUITE_DIRS "R/tallova/../vyro/bin;R/tallova/drav_builder/bin;R/tallova/bin64/jre64/bin"
#define TORMA "R/windows64/lib/torma/windows64"

// Words the launcher does not take reach the script byte for byte.
const char kAwkward[] = "unknown||-sycl|-sycl|--standalone|--perl|--perl=x|a b|  lead and trail  "
                        "|tab\there|q\"uote|\"|\" \\\" \\|trail\\|trail\\\\|\\\\\"|a\\\\b\\ c"
                        "|C:\\Program Files (x32)\\Common\\|hello\\\\\"world|*.cl|%PATH%|$HOME"
                        "|h\xC3\xA9llo w\xC3\xB6rld|-createlibobjectforsycl||--source";

TEST_F(LauncherRun, ChildGetsItsWordsAndEnvironment) {
  struct Row {
    const char *label;
    int parts;
    const char *dir, *file, *command;
    const char *args, *kept;         // '|'-separated; kept null: all of args. ECHO, REL: argv_echo
    const char *path, *ld, *rootdir; // "R" is the root; TALLOVA_64BIT goes with ld
  };
  const Row rows[] = {
      {"plain", kSdk, "windows64/bin", "zud", "zud", "", nullptr, SDK_DIRS ";" TORMA, "", ""},
      {"kept words", kSdk, "windows64/bin", "zud", "zud", "a|--standalone|-sycl", nullptr,
       SDK_DIRS ";" TORMA, "", ""},
      {"leading run", kSdk, "windows64/bin", "zud", "zud", "--standalone|--standalone|x", nullptr,
       SDK_DIRS ";" TORMA, "", ""},
      {"awkward words", kSdk, "windows64/bin", "zud", "zud", kAwkward, nullptr, SDK_DIRS ";" TORMA,
       "", ""},
      {"--perl", kSdk, "windows64/bin", "zud", "zud", "--perl|ECHO|x|--perl|y", "x|--perl|y",
       SDK_DIRS ";" TORMA, "", ""},
      {"--perl relative", kSdk, "windows64/bin", "zud", "zud", "--standalone|--perl|REL|-c",
       "--standalone|-c", SDK_DIRS ";" TORMA, "", ""},
      {"suite", kSdk | SUITE, "windows64/bin", "zud", "zud", "x", nullptr,
       SDK_DIRS ";" SUITE_DIRS ";R/tallova/bin64;" TORMA, "R/tallova/bin64", "R/tallova"},
      {"y++", kSdk | SUITE, "windows64/bin", "y++", "y++", "", nullptr,
       SDK_DIRS ";" SUITE_DIRS ";R/tallova/bin64;" TORMA, "R/tallova/bin64", "R/tallova"},
      {"fast emulator", kSdk | SUITE, "windows64/bin", "zud", "zud", "-fast-emulator", nullptr,
       SDK_DIRS ";" SUITE_DIRS, "", "R/tallova"},
      {"OpenCL source", kSdk | SUITE, "windows64/bin", "zud", "zud", "--source|ocl", nullptr,
       SDK_DIRS ";" SUITE_DIRS ";" TORMA, "", "R/tallova"},
      {"zudl without windows64/bin", SHARE | PERL_DIR, "host/windows64/bin", "zudl", "zudl", "",
       nullptr, "R/bin;R/host/windows64/bin;" TORMA, "", ""},
      {"ZUDL is zudl", SHARE | PERL_DIR, "host/windows64/bin", "ZUDL", "zudl", "", nullptr,
       "R/bin;R/host/windows64/bin;" TORMA, "", ""},
  };
  for (const Row &row : rows) {
    TempTree tree;
    const std::string root = lay_out_sdk(tree, row.parts);
    const std::string launcher = add_launcher(tree, row.dir, row.file);
    Lines args = words(row.args);
    bool echo = false;
    for (std::string &arg : args) {
      echo = echo || arg == "ECHO" || arg == "REL";
      arg = arg == "ECHO" ? ARGV_ECHO_EXE : arg == "REL" ? relative_echo() : arg;
    }
    const Lines env = {in_root(std::string(row.path) + ";" + kInheritedPath, root),
                       in_root(row.ld, root),
                       echo ? "" : root + "/host/windows64/bin/perl/lib",
                       row.ld[0] ? "1" : "",
                       in_root(row.rootdir, root),
                       root,
                       "0"};
    const std::string expected =
        child_output(echo ? ARGV_ECHO_EXE : "", script_of(root, row.command),
                     words(row.kept ? row.kept : row.args), env);
    const Outcome r = run(launcher, args);
    EXPECT_EQ(r.status, 0) << row.label;
    EXPECT_EQ(echo ? r.out : without_argv0(r.out), expected) << row.label;
    EXPECT_EQ(r.err, "") << row.label;
  }
}

TEST_F(LauncherRun, ChildStatusPassesThrough) {
  TempTree tree;
  lay_out_sdk(tree, kSdk);
  const std::string zud = add_launcher(tree, "windows64/bin", "zud");
  for (int status : {0, 1, 2, 3, 4, 42}) {
    set("ARGV_ECHO_STATUS", std::to_string(status));
    const Outcome r = run(zud, {"x"});
    EXPECT_EQ(r.status, status);
    EXPECT_NE(r.out.find("argv[2]=<x>\n"), std::string::npos) << status;
  }
}

TEST_F(LauncherRun, FailuresEndWithTheirOwnStatusAndMessage) {
  const std::string head = ": Unable to determine the execution environment of the Orvex(R) ";
  const std::string detail = ":     Detailed error: ";
  const std::string no_sdk_bin =
      "Could not find SDK internal executables directory R/windows64/bin";
  const std::string no_sdk_bin_2 = "Could not determine the path to SDK internal executables";
  // Too long for an absolute form; the stored message keeps 4095 characters.
  const std::string long_perl(5000, 'p'), long_perl_args = "--perl|" + long_perl;
  const std::string no_perl = "Can't find the specified Perl executable: ";
  struct Row {
    const char *label;
    int parts;
    const char *dir, *command, *args;
    int status;
    std::string expected; // " R/" stands for the root
  };
  const std::vector<Row> rows = {
      {"no share", 0, "a/b/c/d/e/f/windows64/bin", "zud", "", 1,
       "zud" + head + "Tavrin Runtime Environment.\nzud" + detail +
           "Could not find root directory for the SDK:  could not find the 'share' directory\n"},
      {"no SDK_BIN", SHARE | PERL_DIR, "host/windows64/bin", "zud", "x", 1,
       "zud" + head + "Tavrin Runtime Environment.\nzud" + detail + no_sdk_bin + "\nzud" + detail +
           no_sdk_bin_2 + "\n"},
      {"no SDK_BIN for y++", SHARE | PERL_DIR, "host/windows64/bin", "y++", "", 1,
       "y++" + head + "Sollin Compiler.\ny++" + detail + no_sdk_bin + "\ny++" + detail +
           no_sdk_bin_2 + "\n"},
      {"no Perl directory", SHARE | SDK_BIN_DIR, "windows64/bin", "zud", "", 1,
       "zud" + head + "Tavrin SDK.\nzud" + detail +
           "Could not find SDK internal Perl runtime executable directory directory "
           "R/host/windows64/bin/perl/bin\nzud" +
           detail + "Could not determine the path to SDK internal Perl executable\n"},
      {"--perl without its argument", kSdk, "windows64/bin", "zud", "--standalone|--perl", 3,
       "zud: Option --perl requires an argument.\n"},
      {"interpreter that does not start", kSdk, "windows64/bin", "zud",
       "--perl|no-such-interpreter.exe", kNotStarted, ""},
      {"--perl without an absolute form", kSdk, "windows64/bin", "zud", long_perl_args.c_str(), 1,
       "zud" + head + "Tavrin SDK.\nzud" + detail + (no_perl + long_perl).substr(0, 4095) + "\n"},
  };
  for (const Row &row : rows) {
    TempTree tree;
    const std::string root = lay_out_sdk(tree, row.parts);
    const std::string launcher = add_launcher(tree, row.dir, row.command);
    std::string expected = row.expected;
    for (size_t at = expected.find(" R/"); at != std::string::npos; at = expected.find(" R/", at))
      expected.replace(at + 1, 1, root);
    const Outcome r = run(launcher, words(row.args));
    EXPECT_EQ(r.status, row.status) << row.label;
    EXPECT_EQ(r.out, expected) << row.label;
    EXPECT_EQ(r.err, "") << row.label;
  }
}

// The script path may have 4095 characters; one more ends with status 2.
TEST_F(LauncherRun, ScriptPathAtTheLengthLimit) {
  if (!kLongPaths)
    GTEST_SKIP() << "needs paths of 4096 characters";
  for (size_t length : {4095, 4096}) {
    TempTree tree;
    // "/share/lib/perl/tev/zud.pl" adds 26 characters to the root.
    const std::string prefix = padding(length - 26 - tree.root().size(), 'd');
    const std::string root = tree.path(prefix.substr(0, prefix.size() - 1));
    ASSERT_EQ(root.size(), length - 26);
    // The script need not exist: argv_echo stands in for the interpreter.
    tree.lay_out({prefix + "share/", prefix + "host/windows64/bin/"});
    const Outcome r =
        run(add_launcher(tree, prefix + "windows64/bin", "zud"), {"--perl", ARGV_ECHO_EXE, "x"});
    const bool fits = length == 4095;
    EXPECT_EQ(r.status, fits ? 0 : 2);
    EXPECT_EQ(r.out.find("argv[1]=<" + script_of(root, "zud") + ">\n") != std::string::npos, fits);
    EXPECT_EQ(r.out.find("zud: Could not launch internal command: The path to " + root +
                         " is too long.\n") == 0,
              !fits);
  }
}

Lines resolved(const std::string &exe) { return {"found it right away", "resolved: " + exe}; }

Lines operator+(Lines a, const Lines &b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

Lines sdk_query(const std::string &exe, const std::string &root) {
  return resolved(exe) + Lines{"finding: SDK %p", "finding: SDK --> %p " + root};
}

// A look-up below the SDK root; success empty: the directory is missing.
Lines sdk_dir_query(const std::string &exe, const std::string &root, const std::string &request,
                    const std::string &success) {
  return resolved(exe) + Lines{"finding: " + request + " %p"} + sdk_query(exe, root) +
         (success.empty() ? Lines{} : Lines{success});
}

// The six quiet look-ups when no suite is installed and PATH names nothing.
Lines suite_queries(const std::string &exe, const std::string &root) {
  const std::string p = kInheritedPath;
  const Lines tallova = resolved(exe) + Lines{"finding: TALLOVA %p",
                                              " PATH is '" + p + "'",
                                              " component '" + p + "'",
                                              " looking at '" + p + "/tallova_sh'",
                                              " PATH is '" + p + "'",
                                              " component '" + p + "'",
                                              " looking at '" + p + "/tallova_sh.exe'"};
  Lines l = tallova;
  for (const char *request : {"TALLOVA_BINDIR", "DRAV_BUILDER", "VYRO_BIN"})
    l = l + resolved(exe) + Lines{"finding: " + std::string(request) + " %p"} + tallova;
  l = l + sdk_dir_query(exe, root, "TALLOVA_TORMA_BACKEND_DIR",
                        "finding: TALLOVA_TORMA_BACKEND_DIR --> %p %p " + root + "/" +
                            "windows64/lib/torma/windows64");
  return l + resolved(exe) + Lines{"finding: TALLOVA_JAVA %p"} + tallova;
}

Lines argument_trace(const Lines &slots, bool quoted) {
  Lines l;
  for (size_t k = 0; k < slots.size(); ++k)
    l.push_back("[" + std::to_string(k) + "] " + (quoted ? "\"" + slots[k] + "\"" : slots[k]));
  return l;
}

TEST_F(LauncherRun, DebugRunOfZudTracesEveryDecision) {
  TempTree tree;
  const std::string root = lay_out_sdk(tree, kSdk),
                    zud = add_launcher(tree, "windows64/bin", "zud");
  const std::string perl = root + "/host/windows64/bin/perl/bin/perl.exe";
  const std::string script = script_of(root, "zud"), sdk_bin = root + "/windows64/bin";
  set("ZUDL_ENTRY_DEBUG", "1");

  const Lines head =
      resolved(zud) +
      Lines{"finding: SELF %p", "finding: SELF --> %p " + zud, "Require VEK compiler? 1",
            "Require Tallova? 0"} +
      sdk_query(zud, root) +
      sdk_dir_query(zud, root, "SDK_BIN", "finding: SDK_BIN --> %p " + sdk_bin) +
      sdk_dir_query(zud, root, "SDK_HOST_BIN",
                    "finding: SDK_HOST_BIN --> %p " + root + "/host/windows64/bin") +
      sdk_dir_query(zud, root, "SDK_BIN", "finding: SDK_BIN --> %p " + sdk_bin) +
      suite_queries(zud, root) +
      sdk_dir_query(zud, root, "SDK_PERL", "finding: SDK_PERL --> %p " + perl) +
      sdk_dir_query(zud, root, "SDK_PERL_LIB",
                    "finding: SDK_PERL_FULL_LIB --> %p " + root + "/host/windows64/bin/perl/lib") +
      Lines{"script is " + script,
            "Prepend PATH with " + root + "/windows64/lib/torma/windows64",
            "Prepend PATH with " + sdk_bin,
            "Prepend PATH with " + root + "/host/windows64/bin",
            "Prepend PATH with " + root + "/bin",
            "Prepend PERL5LIB with " + root + "/host/windows64/bin/perl/lib"};
  const Lines slots = {perl, script, "a b", "x"};
  const Lines tail = argument_trace(slots, false) + argument_trace(slots, true);

  const Outcome r = run(zud, {"a b", "x"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  const Lines actual = lines_of(r.out);
  expect_lines_match(head, actual, 0);
  // The version query's own lines stand between the decisions and the
  // unquoted trace of the child's arguments.
  size_t query_end = head.size();
  while (query_end < actual.size() && actual[query_end] != tail[0])
    ++query_end;
  const std::string query =
      text_of(Lines(actual.begin() + head.size(), actual.begin() + query_end));
  EXPECT_NE(query.find(kVersionMarker), std::string::npos) << query;
  expect_lines_match(tail, actual, query_end);
  const Lines env = {in_root(SDK_DIRS ";" TORMA, root) + ";" + kInheritedPath,
                     "",
                     root + "/host/windows64/bin/perl/lib",
                     "",
                     "",
                     root,
                     "0"};
  EXPECT_EQ(without_argv0(text_of(actual, query_end + tail.size())),
            child_output("", script, {"a b", "x"}, env));
}

TEST_F(LauncherRun, DebugRunOfZudlTracesWithoutVersionQuery) {
  TempTree tree;
  const std::string root = lay_out_sdk(tree, SHARE | PERL_DIR);
  const std::string zudl = add_launcher(tree, "host/windows64/bin", "zudl");
  const std::string script = script_of(root, "zudl");
  set("ZUDL_ENTRY_DEBUG", "0"); // any value turns tracing on

  const Lines env = {in_root("R/bin;R/host/windows64/bin;" TORMA, root) + ";" + kInheritedPath,
                     "",
                     "",
                     "",
                     "",
                     root,
                     "0"};
  const Lines expected =
      resolved(zudl) +
      Lines{"finding: SELF %p", "finding: SELF --> %p " + zudl, "Perl is '" + relative_echo() + "'",
            "Require VEK compiler? 0", "Require Tallova? 0"} +
      sdk_query(zudl, root) + sdk_dir_query(zudl, root, "SDK_BIN", "") +
      sdk_dir_query(zudl, root, "SDK_HOST_BIN",
                    "finding: SDK_HOST_BIN --> %p " + root + "/host/windows64/bin") +
      suite_queries(zudl, root) +
      Lines{"script is " + script, "Prepend PATH with " + root + "/windows64/lib/torma/windows64",
            "Prepend PATH with " + root + "/host/windows64/bin",
            "Prepend PATH with " + root + "/bin", "Prepend PERL5LIB with "} +
      argument_trace({ARGV_ECHO_EXE, script, "-sycl"}, true) +
      lines_of(child_output(ARGV_ECHO_EXE, script, {"-sycl"}, env));

  const Outcome r = run(zudl, {"--perl", relative_echo(), "-sycl"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  expect_lines_match(expected, lines_of(r.out), 0);
  EXPECT_EQ(lines_of(r.out).size(), expected.size());
}

// The version query quotes the interpreter's path, so a blank in it does no
// harm; a path too long for the query's command runs no query at all.
TEST_F(LauncherRun, VersionQueryTakesAnInterpreterPathWithBlanks) {
  struct Row {
    size_t length; // 0: as short as the tree allows
    bool query_runs;
  };
  for (const Row &row : {Row{0, true}, Row{506, true}, Row{507, false}}) {
    if (row.length && !kLongPaths)
      continue;
    TempTree tree;
    lay_out_sdk(tree, SHARE | SDK_BIN_DIR);
    const std::string zud = add_launcher(tree, "windows64/bin", "zud");
    std::string rel = "with blank/perl.exe";
    if (row.length)
      rel = "with blank/" + padding(row.length - tree.path(rel).size(), 'p') + "perl.exe";
    const std::string perl = add_interpreter(tree, rel);
    ASSERT_TRUE(!row.length || perl.size() == row.length);
    set("ZUDL_ENTRY_DEBUG", "1");
    const Outcome r = run(zud, {"--perl", perl});
    EXPECT_EQ(r.status, 0) << row.length;
    EXPECT_EQ(r.out.find(kVersionMarker) != std::string::npos, row.query_runs) << r.out;
    EXPECT_NE(r.out.find("[0] " + perl + "\n"), std::string::npos) << row.length;
    EXPECT_EQ(r.err, "") << row.length;
  }
}

} // namespace
