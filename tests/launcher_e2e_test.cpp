// The built launcher run as a process against installation trees laid out
// here. Natively the interpreter is the system's Perl on a script that prints
// what argv_echo prints; under wine argv_echo itself stands in for it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#ifdef _WIN32
const char kExeSuffix[] = ".exe";
const int kNotStarted = -1;
// The runtime's full-path conversion takes no path over 259 characters.
const bool kLongPaths = false;
#else
const char kExeSuffix[] = "";
const int kNotStarted = 255; // -1 as a POSIX parent sees it
const bool kLongPaths = true;
#endif

#include "fs_tree.h"
#include "runtime.h"
#include "spawn_capture.h"

namespace fs = std::filesystem;

typedef std::vector<std::string> Lines;
Lines words(const std::string &list);
std::string fatal(const std::string &command, const std::string &product, const Lines &messages);

namespace {

// What the launcher inherits as PATH: one entry that names nothing.
const char kInheritedPath[] = "/zud-test-no-such-dir";

// The launcher run to its end; out and err are declared first: status fills
// them. Nothing, the child's output included, may go to standard error.
struct Outcome {
  std::string out; // line ends as '\n'
  std::string err;
  int status;
  Outcome(const std::string &exe, const Lines &args, const char *argv0 = nullptr)
      : status(run_capture(exe.c_str(), args, &out, &err, argv0)) {
    EXPECT_EQ(err, "") << exe;
    for (size_t at = out.find("\r\n"); at != std::string::npos; at = out.find("\r\n", at))
      out.erase(at, 1);
  }
};

// '@' is the SDK root and '^' the inherited PATH.
std::string expand(std::string text, const std::string &root) {
  for (size_t at = text.find_first_of("@^"); at != std::string::npos;
       at = text.find_first_of("@^", at))
    text.replace(at, 1, text[at] == '@' ? root : kInheritedPath);
  return text;
}

// What argv_echo prints. env holds '|'-separated the values of PATH
// LD_LIBRARY_PATH PERL5LIB TALLOVA_64BIT TALLOVA_ROOTDIR ORVEXTAVRINSDKROOT
// PERL_BADLANG; "-" is an absent variable.
std::string child_output(const std::string &root, const Lines &argv, const char *env) {
  std::string out;
  for (size_t i = 0; i < argv.size(); ++i)
    out += "argv[" + std::to_string(i) + "]=<" + argv[i] + ">\n";
  const Lines values = words(expand(env, root));
  const char *const names[] = {"PATH",          "LD_LIBRARY_PATH", "PERL5LIB",
                               "TALLOVA_64BIT", "TALLOVA_ROOTDIR", "ORVEXTAVRINSDKROOT",
                               "PERL_BADLANG"};
  for (size_t i = 0; i < 7; ++i)
    out +=
        "env " + std::string(names[i]) + (values[i] == "-" ? " unset\n" : "=<" + values[i] + ">\n");
  return out;
}

// A pointer in a locator trace line, as the platform's formatter renders it,
// becomes "%p".
std::string masked(const std::string &text) {
  return std::regex_replace(text, std::regex(" (0x)?[0-9A-Fa-f]{6,}(?=[ \n])"), " %p");
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

// The command scripts for the system's Perl: the real argv from the kernel,
// then the variables, in argv_echo's format.
const char kScript[] =
    "open(my $f, '<', '/proc/self/cmdline') or die; local $/; my @a = split /\\0/, <$f>, -1;\n"
    "pop @a; printf \"argv[%d]=<%s>\\n\", $_, $a[$_] for 0 .. $#a;\n"
    "for my $n (qw(PATH LD_LIBRARY_PATH PERL5LIB TALLOVA_64BIT TALLOVA_ROOTDIR\n"
    "              ORVEXTAVRINSDKROOT PERL_BADLANG)) {\n"
    "  print defined $ENV{$n} ? \"env $n=<$ENV{$n}>\\n\" : \"env $n unset\\n\";\n"
    "}\n"
    "exit($ENV{ARGV_ECHO_STATUS} // 0);\n";
const bool kRealPerl = HOST_PERL[0] != '\0';

std::string add(const TempTree &tree, const std::string &rel, const char *program) {
  const fs::path path = fs::u8path(tree.path(rel));
  fs::create_directories(path.parent_path());
  fs::copy_file(program, path);
  return tree.path(rel);
}

enum SdkParts { SDK_BIN_DIR = 1, PERL_DIR = 2, SUITE = 4, SHARE = 8 };
const int kSdk = SHARE | SDK_BIN_DIR | PERL_DIR;

std::string lay_out_sdk(const TempTree &tree, int parts) {
  tree.lay_out({"host/windows64/bin/", "windows64/lib/torma/windows64/"});
  if (parts & SHARE) {
    tree.dir("share");
    for (const char *command : {"zud", "zudl", "y++"})
      tree.file(std::string("share/lib/perl/tev/") + command + ".pl", kScript);
  }
  if (parts & SDK_BIN_DIR)
    tree.dir("windows64/bin");
  if (parts & PERL_DIR) {
    tree.dir("host/windows64/bin/perl/lib");
    const std::string perl = tree.path("host/windows64/bin/perl/bin/perl.exe");
    tree.dir("host/windows64/bin/perl/bin");
    if (kRealPerl)
      fs::create_symlink(HOST_PERL, fs::u8path(perl));
    else
      add(tree, "host/windows64/bin/perl/bin/perl.exe", ARGV_ECHO_EXE);
  }
  if (parts & SUITE)
    tree.lay_out({"tallova/bin64/jre64/bin/", "tallova/drav_builder/bin/", "vyro/bin/"});
  return tree.root();
}

// The built launcher under a command name, in windows64/bin when there is one.
std::string add_launcher(const TempTree &tree, int parts, const std::string &name,
                         const std::string &prefix = "") {
  const char *dir = parts & SDK_BIN_DIR ? "windows64/bin/" : "host/windows64/bin/";
  return add(tree, prefix + dir + name + kExeSuffix, LAUNCHER_EXE);
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
// The test process ends with the last test, so nothing is put back.
class LauncherRun : public testing::Test {
protected:
  void SetUp() override {
    for (const char *name :
         {"LD_LIBRARY_PATH", "PERL5LIB", "TALLOVA_64BIT", "TALLOVA_ROOTDIR", "ORVEXTAVRINSDKROOT",
          "PERL_BADLANG", "TALLOVA_ROOTDIR_OVERRIDE", "TALLOVA_BINDIR", "TEV_TORMA_ROOT_OVERRIDE",
          "ZUDL_ENTRY_DEBUG", "ARGV_ECHO_STATUS"})
      set(name, "");
    set("PATH", kInheritedPath);
  }
  static void set(const std::string &name, const std::string &value) {
    ASSERT_EQ(rt_putenv((name + "=" + value).c_str()), 0) << name;
  }
};

#define HOST_DIRS "@/bin;@/host/windows64/bin"
#define SDK_DIRS HOST_DIRS ";@/windows64/bin"
#define SUITE_DIRS "@/tallova/../vyro/bin;@/tallova/drav_builder/bin;@/tallova/bin64/jre64/bin"
#define TORMA "@/windows64/lib/torma/windows64"
#define PERL_LIB "@/host/windows64/bin/perl/lib"
#define PERL "@/host/windows64/bin/perl/bin/perl.exe"

// Words the launcher does not take reach the script byte for byte.
const char kAwkward[] = "unknown||-sycl|-sycl|--standalone|--perl|--perl=x|a b|  lead and trail  "
                        "|tab\there|q\"uote|\"|\" \\\" \\|trail\\|trail\\\\|\\\\\"|a\\\\b\\ c"
                        "|C:\\Program Files (x32)\\Common\\|hello\\\\\"world|*.cl|%PATH%|$HOME"
                        "|h\xC3\xA9llo w\xC3\xB6rld|-createlibobjectforsycl||--source";

// Each row's child ends with its own status, which the launcher passes on.
TEST_F(LauncherRun, ChildGetsItsWordsEnvironmentAndStatus) {
  struct Row {
    int parts;
    const char *file;
    std::string args;
    std::string kept; // '|'-separated; empty: all of args. REL: argv_echo
    const char *env;  // as child_output takes it
    int status;
  };
  const std::vector<Row> rows = {
      // "--perl" in the leading run, made absolute.
      {kSdk, "zud", std::string("--standalone|--perl|REL|--standalone|") + kAwkward,
       std::string("--standalone|--standalone|") + kAwkward, SDK_DIRS ";" TORMA ";^|-|-|-|-|@|0",
       0},
      {kSdk | SUITE, "y++", "x", "",
       SDK_DIRS ";" SUITE_DIRS ";@/tallova/bin64;" TORMA ";^|@/tallova/bin64|" PERL_LIB
                "|1|@/tallova|@|0",
       42},
      // No windows64/bin: zudl does not need it; the name's case does not count.
      {SHARE | PERL_DIR, "ZUDL", "", "", HOST_DIRS ";" TORMA ";^|-|" PERL_LIB "|-|-|@|0", 3},
  };
  for (const Row &row : rows) {
    TempTree tree;
    const std::string root = lay_out_sdk(tree, row.parts);
    const std::string launcher = add_launcher(tree, row.parts, row.file);
    std::string command = row.file;
    for (char &c : command)
      c = (char)tolower((unsigned char)c);
    Lines args = words(row.args);
    std::string perl = expand(PERL, root);
    for (std::string &arg : args)
      if (arg == "REL")
        arg = relative_echo(), perl = ARGV_ECHO_EXE;
    Lines argv = words(row.kept.empty() ? row.args : row.kept);
    argv.insert(argv.begin(), {perl, script_of(root, command)});
    set("ARGV_ECHO_STATUS", std::to_string(row.status));
    const Outcome r(launcher, args);
    EXPECT_EQ(r.status, row.status) << row.args;
    EXPECT_EQ(r.out, child_output(root, argv, row.env)) << row.args;
  }
}

// How a row starts the launcher: as the bare name "zud" from a working
// directory too deep for its absolute form, and with tracing on.
enum Start { DEEP = 1, TRACED = 2 };

TEST_F(LauncherRun, FailuresEndWithTheirOwnStatusAndMessage) {
  // Too long for an absolute form; the stored message keeps 4095 characters.
  const std::string long_perl(5000, 'p');
  const std::string no_self = fatal("zud", "Tavrin Runtime Environment",
                                    {"Could not resolve absolute path to command"});
  struct Row {
    int parts;
    std::string args;
    int status;
    std::string expected; // '@' stands for the root, '^' the inherited PATH
    int start = 0;
  };
  const std::vector<Row> rows = {
      {kSdk, "", 1, no_self, DEEP},
      {kSdk, "", 1,
       " PATH is '^'\n component '^'\n looking at '^/zud'\n PATH is '^'\n component '^'\n"
       " looking at '^/zud.exe'\nresolved: zud\nfinding: SELF %p\nfinding: SELF --> fail\n" +
           no_self,
       DEEP | TRACED},
      {0, "", 1,
       fatal("zud", "Tavrin Runtime Environment",
             {"Could not find root directory for the SDK:  could not find the 'share' directory"})},
      {SHARE | PERL_DIR, "x", 1,
       fatal("zud", "Tavrin Runtime Environment",
             {"Could not find SDK internal executables directory @/windows64/bin",
              "Could not determine the path to SDK internal executables"})},
      {SHARE | SDK_BIN_DIR, "", 1,
       fatal("zud", "Tavrin SDK",
             {"Could not find SDK internal Perl runtime executable directory directory "
              "@/host/windows64/bin/perl/bin",
              "Could not determine the path to SDK internal Perl executable"})},
      {kSdk, "--standalone|--perl", 3, "zud: Option --perl requires an argument.\n"},
      {kSdk, "--perl|no-such-interpreter.exe", kNotStarted, ""},
      {kSdk, "--perl|" + long_perl, 1,
       fatal("zud", "Tavrin SDK",
             {("Can't find the specified Perl executable: " + long_perl).substr(0, 4095)})},
  };
  for (const Row &row : rows) {
    if ((row.start & DEEP) && !kLongPaths)
      continue;
    TempTree tree;
    const std::string root = lay_out_sdk(tree, row.parts);
    const std::string exe = add_launcher(tree, row.parts, "zud");
    set("ZUDL_ENTRY_DEBUG", row.start & TRACED ? "1" : "");
    const fs::path cwd = fs::current_path();
    if (row.start & DEEP) {
      // 4094 characters: with "/zud" more than a path may have.
      const std::string dirs = padding(4094 - tree.root().size(), 'w');
      const std::string deep = tree.path(dirs.substr(0, dirs.size() - 1));
      ASSERT_EQ(deep.size(), 4094u);
      fs::create_directories(fs::u8path(deep));
      fs::current_path(fs::u8path(deep));
    }
    const Outcome r(exe, words(row.args), row.start & DEEP ? "zud" : nullptr);
    fs::current_path(cwd);
    EXPECT_EQ(r.status, row.status) << row.args.substr(0, 40);
    EXPECT_EQ(row.start & TRACED ? masked(r.out) : r.out, expand(row.expected, root))
        << row.args.substr(0, 40);
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
    tree.lay_out({prefix + "share/", prefix + "host/windows64/bin/"});
    const Outcome r(add_launcher(tree, SDK_BIN_DIR, "zud", prefix), {"--perl", ARGV_ECHO_EXE, "x"});
    const bool fits = length == 4095;
    EXPECT_EQ(r.status, fits ? 0 : 2);
    EXPECT_EQ(r.out.find("argv[1]=<" + script_of(root, "zud") + ">\n") != std::string::npos, fits);
    EXPECT_EQ(r.out.find("zud: Could not launch internal command: The path to " + root +
                         " is too long.\n") == 0,
              !fits);
  }
}

std::string resolved(const std::string &exe) {
  return "found it right away\nresolved: " + exe + "\n";
}

// A look-up below the SDK root; success empty: the directory is missing.
std::string sdk_query(const std::string &exe, const std::string &request,
                      const std::string &success) {
  return resolved(exe) + "finding: " + request + " %p\n" + resolved(exe) +
         "finding: SDK %p\nfinding: SDK --> %p @\n" + success;
}

// The six quiet look-ups when no suite is installed and PATH names nothing.
std::string suite_queries(const std::string &exe) {
  const std::string tallova = "finding: TALLOVA %p\n PATH is '^'\n component '^'\n"
                              " looking at '^/tallova_sh'\n PATH is '^'\n component '^'\n"
                              " looking at '^/tallova_sh.exe'\n";
  std::string out = resolved(exe) + tallova;
  for (const char *request : {"TALLOVA_BINDIR", "DRAV_BUILDER", "VYRO_BIN"})
    out += resolved(exe) + "finding: " + request + " %p\n" + resolved(exe) + tallova;
  out += sdk_query(exe, "TALLOVA_TORMA_BACKEND_DIR",
                   "finding: TALLOVA_TORMA_BACKEND_DIR --> %p %p " TORMA "\n");
  return out + resolved(exe) + "finding: TALLOVA_JAVA %p\n" + resolved(exe) + tallova;
}

std::string argument_trace(const Lines &slots, bool quoted) {
  std::string out;
  for (size_t k = 0; k < slots.size(); ++k)
    out += "[" + std::to_string(k) + "] " + (quoted ? "\"" + slots[k] + "\"" : slots[k]) + "\n";
  return out;
}

// Tracing is on for any value of the variable. zud runs the version query
// (its own lines stand between the decisions and the unquoted trace of the
// child's arguments); zudl, under "--perl", neither queries nor needs SDK_BIN.
TEST_F(LauncherRun, DebugRunTracesEveryDecision) {
  for (const bool vek : {true, false}) {
    TempTree tree;
    const std::string root = lay_out_sdk(tree, vek ? kSdk : SHARE | PERL_DIR);
    const std::string command = vek ? "zud" : "zudl", script = script_of(root, command);
    const std::string exe = add_launcher(tree, vek ? kSdk : 0, command);
    const std::string found_bin = vek ? "finding: SDK_BIN --> %p @/windows64/bin\n" : "";
    set("ZUDL_ENTRY_DEBUG", vek ? "1" : "0");

    const std::string head =
        resolved(exe) + "finding: SELF %p\nfinding: SELF --> %p " + exe + "\n" +
        (vek ? "" : "Perl is '" + relative_echo() + "'\n") + "Require VEK compiler? " +
        (vek ? "1" : "0") + "\nRequire Tallova? 0\n" + resolved(exe) +
        "finding: SDK %p\nfinding: SDK --> %p @\n" + sdk_query(exe, "SDK_BIN", found_bin) +
        sdk_query(exe, "SDK_HOST_BIN", "finding: SDK_HOST_BIN --> %p @/host/windows64/bin\n") +
        (vek ? sdk_query(exe, "SDK_BIN", found_bin) : "") + suite_queries(exe) +
        (vek ? sdk_query(exe, "SDK_PERL", "finding: SDK_PERL --> %p " PERL "\n") +
                   sdk_query(exe, "SDK_PERL_LIB",
                             "finding: SDK_PERL_FULL_LIB --> %p " PERL_LIB "\n")
             : "") +
        "script is " + script + "\nPrepend PATH with " TORMA "\n" +
        (vek ? "Prepend PATH with @/windows64/bin\n" : "") +
        "Prepend PATH with @/host/windows64/bin\nPrepend PATH with @/bin\nPrepend PERL5LIB with " +
        (vek ? PERL_LIB : "") + "\n";
    const Lines args = vek ? Lines{"a b", "x"} : Lines{"-sycl"};
    Lines argv = args;
    argv.insert(argv.begin(), {vek ? expand(PERL, root) : ARGV_ECHO_EXE, script});
    const std::string tail = (vek ? argument_trace(argv, false) : "") + argument_trace(argv, true) +
                             child_output(root, argv,
                                          vek ? SDK_DIRS ";" TORMA ";^|-|" PERL_LIB "|-|-|@|0"
                                              : HOST_DIRS ";" TORMA ";^|-|-|-|-|@|0");
    const Outcome r(exe, vek ? args : Lines{"--perl", relative_echo(), "-sycl"});
    EXPECT_EQ(r.status, 0);
    const std::string out = masked(r.out), want_head = expand(head, root);
    const std::string want_tail = expand(tail, root);
    EXPECT_EQ(out.substr(0, want_head.size()), want_head);
    const size_t tail_at = out.size() - std::min(out.size(), want_tail.size());
    const std::string query =
        tail_at > want_head.size() ? out.substr(want_head.size(), tail_at - want_head.size()) : "";
    const char *version = kRealPerl ? "This is perl" : "argv[1]=<-v>\n";
    EXPECT_EQ(query.find(version) != std::string::npos, vek) << query;
    EXPECT_EQ(query.empty(), !vek) << query;
    EXPECT_EQ(out.substr(out.size() - std::min(out.size(), want_tail.size())), want_tail);
  }
}

// The version query quotes the interpreter's path and keeps the quotes
// through cmd, so blanks, parentheses and '&' in it do no harm, and the trace
// follows it unchanged; a path too long for the query's command runs none.
TEST_F(LauncherRun, VersionQueryTakesAnyInterpreterPath) {
  const struct {
    const char *dir;
    size_t length; // 0: as short as the tree allows
  } rows[] = {{"with blank", 0},
              {"Program Files (x86)", 0},
              {"a & b", 0},
              {"with blank", 506},
              {"with blank", 507}};
  for (const auto &row : rows) {
    if (row.length && !kLongPaths)
      continue;
    TempTree tree;
    const std::string root = lay_out_sdk(tree, SHARE | SDK_BIN_DIR);
    const std::string zud = add_launcher(tree, SDK_BIN_DIR, "zud");
    std::string rel = std::string(row.dir) + "/perl.exe";
    if (row.length)
      rel = std::string(row.dir) + "/" + padding(row.length - tree.path(rel).size(), 'p') +
            "perl.exe";
    const std::string perl = add(tree, rel, ARGV_ECHO_EXE);
    ASSERT_TRUE(!row.length || perl.size() == row.length);
    set("ZUDL_ENTRY_DEBUG", "1");
    const Outcome r(zud, {"--perl", perl});
    EXPECT_EQ(r.status, 0) << perl;
    const Lines argv = {perl, script_of(root, "zud")};
    const size_t query = r.out.find("argv[0]=<" + perl + ">\nargv[1]=<-v>\n");
    const size_t trace = r.out.find(argument_trace(argv, false) + argument_trace(argv, true));
    EXPECT_EQ(query != std::string::npos, row.length < 507) << r.out;
    EXPECT_NE(trace, std::string::npos) << r.out;
    EXPECT_TRUE(query == std::string::npos || query < trace) << r.out;
  }
}

} // namespace
