// The launcher's functions in process, in one program with the runs of the
// built launcher: what no run can reach (the error store's limits, texts of
// 16 MiB, failing environment steps) and the argument scan's table of cases.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "entry_main.h"
#include "fs_tree.h"
#include "runtime.h"

// Shared with the tests that run the built launcher.
typedef std::vector<std::string> Words;

// '|'-separated words; an empty list is no word at all.
Words words(const std::string &list) {
  Words out;
  for (size_t start = 0, end = 0; !list.empty() && end != std::string::npos; start = end + 1) {
    end = list.find('|', start);
    out.push_back(list.substr(start, end - start));
  }
  return out;
}

// The fatal report: headline for the product, then each message.
std::string fatal(const std::string &command, const std::string &product, const Words &messages) {
  std::string out = command + ": Unable to determine the execution environment of the Orvex(R) " +
                    product + ".\n";
  for (const std::string &message : messages)
    out += command + ":     Detailed error: " + message + "\n";
  return out;
}

namespace {

// Windows keeps no variable longer than 32,767 characters (wine's runtime
// takes one of 16 MiB but stores it cut and corrupts its heap), so steps that
// need such a variable in the environment are checked natively only.
#ifdef _WIN32
const bool kHugeVariables = false;
#else
const bool kHugeVariables = true;
#endif

void reset_launcher_state() {
  l_debug = l_fast_emulator = l_skip_tallova_bin = l_sdk_bin_found = l_error_count = 0;
  l_perl_override = nullptr;
  require_vek_compiler = 1;
  memset(l_errors, 0, sizeof l_errors);
  for (char *buf : {self_path, sdk, sdk_bin, sdk_host_bin, tallova, tallova_bin, drav_builder,
                    vyro_bin, tallova_torma_backend, tallova_java, perl_exe, perl_fulllib})
    buf[0] = '\0';
}

const char *const kVariables[] = {
    "PATH",         "LD_LIBRARY_PATH", "TALLOVA_64BIT", "TALLOVA_ROOTDIR", "ORVEXTAVRINSDKROOT",
    "PERL_BADLANG", "PERL5LIB",        "ZUD_VAR"};

// A null value makes the variable absent.
void put(const std::string &name, const char *value) {
  ASSERT_EQ(rt_putenv((name + "=" + (value ? value : "")).c_str()), 0) << name;
}

std::string env(const char *name) { return getenv(name) ? getenv(name) : "-"; }

// What a death test's child wrote to standard error, line ends as '\n'.
struct Output : testing::MatcherInterface<const std::string &> {
  explicit Output(std::string want) : want(std::move(want)) {}
  bool MatchAndExplain(const std::string &got, testing::MatchResultListener *) const override {
    std::string text = got;
    for (size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at))
      text.erase(at, 1);
    return text == want;
  }
  void DescribeTo(std::ostream *os) const override { *os << "is\n" << want; }
  std::string want;
};

// Standard output joins standard error, which the death test's matcher sees.
void to_stderr() {
  fflush(stdout);
  dup2(2, 1);
}

// Resets the launcher and saves the variables the environment steps touch.
class Launcher : public testing::Test {
protected:
  void SetUp() override {
    reset_launcher_state();
    for (const char *name : kVariables)
      saved_.push_back(std::string(name) + "=" + (getenv(name) ? getenv(name) : ""));
  }
  void TearDown() override {
    for (const std::string &assignment : saved_)
      rt_putenv(assignment.c_str());
  }
  Words saved_;
};

TEST(LauncherProgramName, CutsAndLowerCasesTheBaseNameInPlace) {
  struct Row {
    const char *path, *name, *whole_after;
  };
  const Row rows[] = {
      {"zud", "zud", "zud"},
      {"D:/Tools/Bin/ZUD.EXE", "zud", "D:/Tools/Bin/zud"},
      {"D:\\tools\\ZUD.EXE", "zud", "D:\\tools\\zud"},
      {"D:/x/sub\\Zud.exe", "sub\\zud", "D:/x/sub\\zud"},
      {"D:/x/Zud.Exe", "zud.exe", "D:/x/zud.exe"},
      {"D:/x/zud.exe.EXE", "zud.exe", "D:/x/zud.exe"},
      {"D:/x/.EXE", "", "D:/x/"},
      {"tools\\", "", "tools\\"},
      {"/opt/A\xC4Z.exe", "a\xC4z", "/opt/a\xC4z"},
  };
  for (const Row &row : rows) {
    std::string path = row.path;
    const char *name = l_program_name(&path[0]);
    EXPECT_EQ(name, path.c_str() + strlen(path.c_str()) - strlen(row.name)) << row.path;
    EXPECT_STREQ(name, row.name) << row.path;
    EXPECT_STREQ(path.c_str(), row.whole_after) << row.path;
  }
}

TEST_F(Launcher, FatalReportNamesCommandAndProductThenEachStoredMessage) {
  // The store keeps 20 messages of at most 4095 characters.
  const std::string long_message(5000, 'q');
  Words twenty_five = {long_message}, kept = {long_message.substr(0, 4095)};
  for (int k = 2; k <= 25; ++k) {
    twenty_five.push_back("m" + std::to_string(k));
    if (k <= 20)
      kept.push_back(twenty_five.back());
  }
  const Words odd = {"", "100% %s %d", "two\nlines"};
  struct Row {
    const char *argv0;
    int sdk_bin_found;
    Words messages;
    std::string expected;
  };
  const std::vector<Row> rows = {
      {"D:/k/y++x", 0, odd, fatal("y++x", "Tavrin Runtime Environment", odd)},
      {"D:/k/Y++.EXE", 1, {"a"}, fatal("y++", "Sollin Compiler", {"a"})},
      {"D:/k/xy++.exe", 1, twenty_five, fatal("xy++", "Tavrin SDK", kept)},
      {"D:/k/", 0, {"m"}, fatal("", "Tavrin Runtime Environment", {"m"})},
  };
  for (const Row &row : rows) {
    std::string argv0 = row.argv0;
    reset_launcher_state();
    l_sdk_bin_found = row.sdk_bin_found;
    for (const std::string &message : row.messages)
      l_store_error(message.c_str(), nullptr);
    // Every report counts, kept or not.
    EXPECT_EQ(l_error_count, (int)row.messages.size()) << row.argv0;
    EXPECT_EXIT(
        {
          to_stderr();
          l_fatal_environment_error(&argv0[0]);
        },
        testing::ExitedWithCode(1), testing::MakeMatcher(new Output(row.expected)))
        << row.argv0;
  }
}

TEST_F(Launcher, ScanKeepsTheChildsWordsAndSetsTheFlags) {
  struct Row {
    const char *args, *kept, *perl; // kept null: all of args; perl "-": no override
    int fast_emulator, skip_tallova_bin;
  };
  const Row rows[] = {
      {"", nullptr, "-", 0, 0},
      {"--perl|P|--perl|Q|x", "x", "Q", 0, 0},
      {"--standalone|--perl|P|-sycl", "--standalone|-sycl", "P", 0, 1},
      {"-sycl|--perl|P", nullptr, "-", 0, 1},
      {"--perl|-hardware|-sycl", "-sycl", "-hardware", 0, 1},
      {"-sycl|-hardware", nullptr, "-", 0, 0},
      {"-simulator|-sycl", nullptr, "-", 0, 0},
      {"--source|ocl", nullptr, "-", 0, 1},
      {"-fast-emulator|-sycl|-fast-emulator", nullptr, "-", 1, 1},
      {"-createlibobjectforsycl|a.cl", nullptr, "-", 0, 1},
      {"B.CL|-createlibobjectforsycl", nullptr, "-", 0, 1},
      {"-createlibobjectforsycl|.cl|.CL|cl||a.cl.bak|a.cl |a.ocl|a.c|a.clx", nullptr, "-", 0, 0},
      {"k.Cl|-createlibobjectforsycl", nullptr, "-", 0, 1},
      {"x..cl|-createlibobjectforsycl", nullptr, "-", 0, 1},
      {"\xC4.cl|-createlibobjectforsycl", nullptr, "-", 0, 1},
      {"--standalone|--standalone|x|--standalone|--perl|y", nullptr, "-", 0, 0},
      // Near misses only: no flag.
      {"|--perl=x|-sycl2|-SYCL|-Fast-emulator|-fast-emulator=1|--source=ocl|--source|OCL|--source|"
       "x|"
       "ocl|a.cl|--source",
       nullptr, "-", 0, 0},
      {"--perl||a b", "a b", "", 0, 0},
  };
  for (const Row &row : rows) {
    reset_launcher_state();
    Words line = words(row.args);
    line.insert(line.begin(), "D:/kit/zud.exe");
    std::vector<char *> argv;
    for (std::string &word : line)
      argv.push_back(&word[0]);
    argv.push_back(nullptr);

    const int kept = l_scan_arguments((int)line.size(), argv.data());
    EXPECT_EQ(Words(argv.begin() + 1, argv.begin() + kept), words(row.kept ? row.kept : row.args))
        << row.args;
    EXPECT_STREQ(argv[0], "D:/kit/zud.exe");
    EXPECT_EQ(argv[line.size()], nullptr) << row.args;
    EXPECT_STREQ(l_perl_override ? l_perl_override : "-", row.perl) << row.args;
    EXPECT_EQ(l_fast_emulator, row.fast_emulator) << row.args;
    EXPECT_EQ(l_skip_tallova_bin, row.skip_tallova_bin) << row.args;
  }
}

// One variable set or prepended to, up to the edge of the 16 MiB buffers.
TEST_F(Launcher, SetAndPrependUpdateOneVariable) {
  const size_t fit = L_ENV_BUFFER_SIZE - 1; // the most characters that fit
  struct Row {
    const char *inherited; // null: absent
    int prepend, debug;
    std::string value; // "#n": n characters
    int ok;
    std::string expected; // "#n": the first n characters of the new list
    const char *output;
  };
  const std::string n8 = "#" + std::to_string(fit - 8);
  const char *const too_long = "Environment variable ZUD_VAR is too long\n";
  const std::vector<Row> rows = {
      {nullptr, 1, 0, "new", 1, "new", ""},
      {"old", 1, 0, "", 1, ";old", ""},
      {"a;b", 1, 0, "a", 1, "a;a;b", ""},
      {"old", 1, 1, "new", 1, "new;old", "Prepend ZUD_VAR with new\n"},
      {nullptr, 1, 1, "", 1, "-", "Prepend ZUD_VAR with \n"},
      {"old", 0, 1, "new", 1, "new", ""},
      {"old", 0, 0, "", 1, "-", ""},
      {"a", 0, 0, n8, 1, n8, ""}, // fits exactly
      {"a", 0, 0, "#" + std::to_string(fit - 7), 1, n8, too_long},
      {"a", 0, 0, "#" + std::to_string(fit + 100), 1, n8, too_long},
      {"a", 1, 0, "#" + std::to_string(fit - 2), 1, n8, too_long}, // list fits
      {"a", 1, 0, "#" + std::to_string(fit - 1), 0, "a", ""},
  };
  for (const Row &row : rows) {
    const std::string label = row.value.substr(0, 12);
    const bool huge = row.value[0] == '#';
    if (huge && row.ok && !kHugeVariables)
      continue;
    const std::string value = huge ? std::string(std::stoul(row.value.substr(1)), 'v') : row.value;
    const std::string list = row.prepend && row.inherited ? value + ";" + row.inherited : value;
    put("ZUD_VAR", row.inherited);
    l_debug = row.debug;
    testing::internal::CaptureStdout();
    const int ok =
        row.prepend ? l_prepend_path("ZUD_VAR", value.c_str()) : l_setenv("ZUD_VAR", value.c_str());
    EXPECT_EQ(testing::internal::GetCapturedStdout(), row.output) << label;
    EXPECT_EQ(ok, row.ok) << label;
    const std::string expected =
        row.expected[0] == '#' ? list.substr(0, std::stoul(row.expected.substr(1))) : row.expected;
    EXPECT_TRUE(env("ZUD_VAR") == expected) << label; // no 16 MiB diff on failure
  }
}

// The located paths are "S" (SDK), "H" (host bin) and '|'-separated the
// torma backend, suite bin, suite, java, drav builder, vyro, SDK bin, Perl
// library; an empty one was not found.
const char kAll[] = "K|T/bin64|T|J|D|V|B|P";

struct StepRow {
  const char *located;
  int flags;             // 1: fast emulator, 2: skip the suite's bin, 4: debug
  const char *inherited; // PATH LD_LIBRARY_PATH PERL5LIB, "-": absent
  const char *huge;      // a variable too long to take one more entry; the steps fail
  const char *after;     // all but ZUD_VAR; "#": the huge value unchanged, "x": inherited
  const char *output;
};

void check_steps(const std::vector<StepRow> &rows) {
  const std::string huge(L_ENV_BUFFER_SIZE - 2, 'x');
  for (const StepRow &row : rows) {
    reset_launcher_state();
    const Words located = words(row.located);
    char *const buffers[] = {tallova_torma_backend, tallova_bin, tallova, tallova_java,
                             drav_builder,          vyro_bin,    sdk_bin, perl_fulllib};
    for (size_t k = 0; k < 8; ++k)
      strcpy(buffers[k], located[k].c_str());
    strcpy(sdk, "S");
    strcpy(sdk_host_bin, "H");
    l_fast_emulator = row.flags & 1;
    l_skip_tallova_bin = (row.flags & 2) != 0;
    l_debug = (row.flags & 4) != 0;
    std::istringstream in(row.inherited);
    for (const char *name : kVariables)
      put(name, nullptr);
    std::string word;
    for (const char *name : {"PATH", "LD_LIBRARY_PATH", "PERL5LIB"})
      if (in >> word && word != "-")
        put(name, word.c_str());
    put("PERL_BADLANG", "x");
    if (row.huge)
      put(row.huge, huge.c_str());

    testing::internal::CaptureStdout();
    EXPECT_EQ(l_setup_environment(), row.huge ? 0 : 1) << row.after;
    EXPECT_EQ(testing::internal::GetCapturedStdout(), row.output) << row.after;
    std::string after;
    for (const char *name : kVariables)
      if (strcmp(name, "ZUD_VAR") != 0)
        after += (after.empty() ? "" : " ") + (row.huge && env(name) == huge ? "#" : env(name));
    EXPECT_EQ(after, row.after);
  }
}

// Variables in order: PATH LD_LIBRARY_PATH TALLOVA_64BIT TALLOVA_ROOTDIR
// ORVEXTAVRINSDKROOT PERL_BADLANG PERL5LIB.
// A list that cannot take one more entry fails the first step that prepends
// to it; that step's message is printed and no later step runs.
TEST_F(Launcher, StepsComposeTheChildsEnvironmentUpToTheFirstFailure) {
  const char *all_traced =
      "Prepend PATH with K\nPrepend PATH with T/bin64\nPrepend LD_LIBRARY_PATH with T/bin64\n"
      "Prepend PATH with J\nPrepend PATH with D\nPrepend PATH with V\nPrepend PATH with B\n"
      "Prepend PATH with H\nPrepend PATH with S/bin\nPrepend PERL5LIB with P\n";
  check_steps({
      {kAll, 0, "I L P5", nullptr, "S/bin;H;B;V;D;J;T/bin64;K;I T/bin64;L 1 T S 0 P;P5", ""},
      {kAll, 1, "I L -", nullptr, "S/bin;H;B;V;D;J;I L - T S 0 P", ""},
      {kAll, 2, "I - -", nullptr, "S/bin;H;B;V;D;J;K;I - - T S 0 P", ""},
      {kAll, 4, "I - -", nullptr, "S/bin;H;B;V;D;J;T/bin64;K;I T/bin64 1 T S 0 P", all_traced},
      // No PATH inherited, nothing optional found, under "--perl" (no Perl library).
      {"|||||||", 0, "- - P5", nullptr, "S/bin;H - - - S 0 ;P5", ""},
      {"|||||||", 0, "I - -", nullptr, "S/bin;H;I - - - S 0 -", ""},
  });
  if (!kHugeVariables)
    GTEST_SKIP() << "the failing steps need a variable of 16 MiB";
  check_steps({
      {kAll, 0, "I", "PATH", "# - - - - x -",
       "Failed l_prepend_path( \"PATH\", tallova_torma_backend )\n"},
      {"|T/bin64||||||P", 0, "I", "PATH", "# - - - - x -",
       "Failed l_prepend_path( \"PATH\", tallova_bin )\n"},
      {kAll, 0, "I", "LD_LIBRARY_PATH", "T/bin64;K;I # - - - x -",
       "Failed l_prepend_path( \"LD_LIBRARY_PATH\", tallova_bin )\n"},
      {"||T|J|D|V|B|P", 0, "I", "PATH", "# - - T - x -",
       "Failed l_prepend_path( \"PATH\", tallova_java )\n"},
      {"||||D|V|B|P", 0, "I", "PATH", "# - - - - x -",
       "Failed l_prepend_path( \"PATH\", drav_builder )\n"},
      {"|||||V|B|P", 0, "I", "PATH", "# - - - - x -",
       "Failed l_prepend_path( \"PATH\", vyro_bin )\n"},
      {"||||||B|P", 0, "I", "PATH", "# - - - S x -",
       "Failed l_prepend_path( \"PATH\", sdk_bin )\n"},
      {"|||||||P", 0, "I", "PATH", "# - - - S x -",
       "Failed l_prepend_path(\"PATH\", sdk_host_bin )\n"},
      {kAll, 0, "I", "PERL5LIB", "S/bin;H;B;V;D;J;T/bin64;K;I T/bin64 1 T S 0 #",
       "Failed l_prepend_path (\"PERL5LIB\", perl_fulllib)\n"},
  });
}

// The whole launcher in process: a PATH that cannot grow ends the run with
// status 4 after the step's message and the launcher's own.
TEST_F(Launcher, EnvironmentFailureEndsTheRunWithStatus4) {
  if (!kHugeVariables)
    GTEST_SKIP() << "needs a variable of 16 MiB";
  TempTree tree;
  tree.lay_out({"share/", "windows64/bin/zud", "host/windows64/bin/perl/bin/",
                "host/windows64/bin/perl/lib/"});
  std::string argv0 = tree.path("windows64/bin/zud");
  char *argv[] = {&argv0[0], nullptr};
  const std::string huge = "PATH=" + std::string(L_ENV_BUFFER_SIZE - 2, 'x');
  EXPECT_EXIT(
      {
        to_stderr();
        for (const char *name : {"TALLOVA_ROOTDIR_OVERRIDE=", "TALLOVA_ROOTDIR=", "TALLOVA_BINDIR=",
                                 "TEV_TORMA_ROOT_OVERRIDE=", "ZUDL_ENTRY_DEBUG=", huge.c_str()})
          rt_putenv(name);
        exit(entry_main(1, argv));
      },
      testing::ExitedWithCode(4),
      testing::MakeMatcher(new Output(
          "Failed l_prepend_path( \"PATH\", sdk_bin )\nzud: Could not set environment for SDK\n")));
}

} // namespace
