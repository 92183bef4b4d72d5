// The launcher's functions in process: what no real run can reach (the error
// store's limits, compositions of 16 MiB, failing environment steps) and the
// argument scan's table of cases.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "entry_main.h"
#include "fs_tree.h"
#include "runtime.h"

namespace fs = std::filesystem;

namespace {

// Windows keeps no variable longer than 32,767 characters (wine's runtime
// takes one of 16 MiB but stores it cut and corrupts its heap), so steps that
// need such a variable in the environment are checked natively only.
#ifdef _WIN32
const bool kHugeVariables = false;
#else
const bool kHugeVariables = true;
#endif

// '|'-separated words; an empty list is no word at all.
std::vector<std::string> words(const std::string &list) {
  std::vector<std::string> out;
  for (size_t start = 0; !list.empty(); start = list.find('|', start) + 1) {
    out.push_back(list.substr(start, list.find('|', start) - start));
    if (list.find('|', start) == std::string::npos)
      break;
  }
  return out;
}

void reset_launcher_state() {
  l_debug = l_fast_emulator = l_skip_tallova_bin = l_sdk_bin_found = l_error_count = 0;
  l_perl_override = nullptr;
  require_vek_compiler = 1;
  memset(l_errors, 0, sizeof l_errors);
  for (char *buf : {self_path, sdk, sdk_bin, sdk_host_bin, tallova, tallova_bin, drav_builder,
                    vyro_bin, tallova_torma_backend, tallova_java, perl_exe, perl_fulllib})
    buf[0] = '\0';
}

// Where a death test's child leaves its standard output. A child that runs
// the test anew (Windows) inherits the tag and so finds the same file.
std::string capture_file(size_t row) {
  if (!getenv("ZUD_UNIT_CAPTURE_TAG"))
    rt_putenv(("ZUD_UNIT_CAPTURE_TAG=" +
               std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()))
                  .c_str());
  return (fs::temp_directory_path() /
          ("zud_unit_" + std::string(getenv("ZUD_UNIT_CAPTURE_TAG")) + "_" +
           testing::UnitTest::GetInstance()->current_test_info()->name() + "_" +
           std::to_string(row)))
      .string();
}

void redirect_stdout(const std::string &file) {
  fflush(stdout);
  if (!freopen(file.c_str(), "w", stdout))
    abort();
}

// Text-mode output reads back with plain line ends on every platform.
std::string read_capture(const std::string &file) {
  std::ifstream in(file, std::ios::binary);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>()), out;
  in.close();
  fs::remove(file);
  for (size_t i = 0; i < text.size(); ++i)
    if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n'))
      out += text[i];
  return out;
}

class LauncherState : public testing::Test {
protected:
  void SetUp() override { reset_launcher_state(); }
  void TearDown() override { reset_launcher_state(); }
};

// Saves the variables the environment steps touch and puts them back.
class LauncherEnvironment : public LauncherState {
protected:
  void SetUp() override {
    LauncherState::SetUp();
    for (const char *name : {"PATH", "LD_LIBRARY_PATH", "PERL5LIB", "TALLOVA_64BIT",
                             "TALLOVA_ROOTDIR", "ORVEXTAVRINSDKROOT", "PERL_BADLANG", "ZUD_VAR"}) {
      const char *value = getenv(name);
      saved_.push_back(std::string(name) + "=" + (value ? value : ""));
    }
  }
  void TearDown() override {
    for (const std::string &assignment : saved_)
      rt_putenv(assignment.c_str());
    LauncherState::TearDown();
  }
  // A null value makes the variable absent.
  static void put(const std::string &name, const char *value) {
    ASSERT_EQ(rt_putenv((name + "=" + (value ? value : "")).c_str()), 0) << name;
  }
  static std::string env(const char *name) {
    const char *value = getenv(name);
    return value ? value : "<unset>";
  }

private:
  std::vector<std::string> saved_;
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
      {"D:/x/zud.exe.bak", "zud.exe.bak", "D:/x/zud.exe.bak"},
      {"D:/x/.EXE", "", "D:/x/"},
      {"D:/x/", "", "D:/x/"},
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

TEST_F(LauncherState, StoreKeepsTwentyMessagesOfAtMost4095Characters) {
  const std::string long_message(5000, 'm');
  l_store_error(long_message.c_str(), nullptr);
  for (int k = 2; k <= 25; ++k)
    l_store_error(("message " + std::to_string(k)).c_str(), nullptr);
  EXPECT_EQ(l_error_count, 25);
  EXPECT_EQ(std::string(l_errors[0]), long_message.substr(0, 4095));
  for (int k = 1; k < L_MAX_ERRORS; ++k)
    EXPECT_EQ(std::string(l_errors[k]), "message " + std::to_string(k + 1));
}

TEST_F(LauncherState, FatalReportNamesCommandAndProductThenEachStoredMessage) {
  const std::string head = ": Unable to determine the execution environment of the Orvex(R) ";
  const std::string runtime = head + "Tavrin Runtime Environment.\n";
  const std::string sdk_flavour = head + "Tavrin SDK.\n", compiler = head + "Sollin Compiler.\n";
  const std::string detail = ":     Detailed error: ", long_message(5000, 'q');
  std::vector<std::string> twenty_five;
  std::string twenty_lines;
  for (int k = 1; k <= 25; ++k) {
    twenty_five.push_back("m" + std::to_string(k));
    twenty_lines += k <= 20 ? "zud" + detail + "m" + std::to_string(k) + "\n" : "";
  }
  struct Row {
    const char *argv0;
    int sdk_bin_found;
    std::vector<std::string> messages;
    std::string expected;
  };
  const std::vector<Row> rows = {
      {"D:/k/bin/ZUD.EXE",
       0,
       {"a", "b"},
       "zud" + runtime + "zud" + detail + "a\nzud" + detail + "b\n"},
      {"D:/k/bin/zud.exe", 1, {"a"}, "zud" + sdk_flavour + "zud" + detail + "a\n"},
      {"D:/k/Y++.EXE", 1, {"a"}, "y++" + compiler + "y++" + detail + "a\n"},
      {"D:\\k\\y++.exe", 0, {}, "y++" + compiler},
      {"y++", 0, {}, "y++" + compiler},
      {"D:/k/y++x", 0, {}, "y++x" + runtime},
      {"D:/k/xy++.exe", 1, {}, "xy++" + sdk_flavour},
      {"D:/k/y++.Exe", 1, {}, "y++.exe" + sdk_flavour},
      {"D:/k/", 0, {"m"}, runtime + detail + "m\n"},
      {"zud",
       0,
       {"", "100% %s %d", "two\nlines"},
       "zud" + runtime + "zud" + detail + "\nzud" + detail + "100% %s %d\nzud" + detail +
           "two\nlines\n"},
      {"zud", 0, twenty_five, "zud" + runtime + twenty_lines},
      {"zud",
       0,
       {long_message},
       "zud" + runtime + "zud" + detail + long_message.substr(0, 4095) + "\n"},
  };
  for (size_t i = 0; i < rows.size(); ++i) {
    const std::string file = capture_file(i);
    std::string argv0 = rows[i].argv0;
    EXPECT_EXIT(
        {
          redirect_stdout(file);
          l_sdk_bin_found = rows[i].sdk_bin_found;
          for (const std::string &message : rows[i].messages)
            l_store_error(message.c_str(), nullptr);
          l_fatal_environment_error(&argv0[0]);
        },
        testing::ExitedWithCode(1), "^$");
    EXPECT_EQ(read_capture(file), rows[i].expected) << rows[i].argv0;
  }
}

TEST(LauncherClFile, NeedsTheSuffixInAnyCaseAfterAtLeastOneCharacter) {
  for (const char *word : {"a.cl", "kernel.CL", "k.Cl", "dir/x.cl", "x..cl", "\xC4.cl"})
    EXPECT_TRUE(l_is_cl_file(word)) << word;
  for (const char *word : {".cl", ".CL", "cl", "", "a.cl.bak", "a.cl ", "a.ocl", "a.c", "a.clx"})
    EXPECT_FALSE(l_is_cl_file(word)) << word;
}

TEST_F(LauncherState, ScanKeepsTheChildsWordsAndSetsTheFlags) {
  struct Row {
    const char *args, *kept, *perl; // '|'-separated words; perl null: no override
    int fast_emulator, skip_tallova_bin;
  };
  const Row rows[] = {
      {"", "", nullptr, 0, 0},
      {"--perl|P|--perl|Q|x", "x", "Q", 0, 0},
      {"--standalone|--perl|P|-sycl", "--standalone|-sycl", "P", 0, 1},
      {"-sycl|--perl|P", "-sycl|--perl|P", nullptr, 0, 1},
      {"--perl|-sycl", "", "-sycl", 0, 0},
      {"--perl|-hardware|-sycl", "-sycl", "-hardware", 0, 1},
      {"-sycl|-hardware", "-sycl|-hardware", nullptr, 0, 0},
      {"-simulator|-sycl", "-simulator|-sycl", nullptr, 0, 0},
      {"--source|ocl", "--source|ocl", nullptr, 0, 1},
      {"--source|OCL", "--source|OCL", nullptr, 0, 0},
      {"x|--source", "x|--source", nullptr, 0, 0},
      {"--source|x|ocl", "--source|x|ocl", nullptr, 0, 0},
      {"--source=ocl", "--source=ocl", nullptr, 0, 0},
      {"-fast-emulator|-sycl|-fast-emulator", "-fast-emulator|-sycl|-fast-emulator", nullptr, 1, 1},
      {"-Fast-emulator|-fast-emulator=1", "-Fast-emulator|-fast-emulator=1", nullptr, 0, 0},
      {"-createlibobjectforsycl|a.cl", "-createlibobjectforsycl|a.cl", nullptr, 0, 1},
      {"B.CL|-createlibobjectforsycl", "B.CL|-createlibobjectforsycl", nullptr, 0, 1},
      {"-createlibobjectforsycl|.cl", "-createlibobjectforsycl|.cl", nullptr, 0, 0},
      {"a.cl", "a.cl", nullptr, 0, 0},
      {"--standalone|--standalone|x|--standalone|--perl|y",
       "--standalone|--standalone|x|--standalone|--perl|y", nullptr, 0, 0},
      {"|--perl=x|-sycl2|-SYCL", "|--perl=x|-sycl2|-SYCL", nullptr, 0, 0},
      {"--perl||a b", "a b", "", 0, 0},
  };
  for (const Row &row : rows) {
    reset_launcher_state();
    std::vector<std::string> line = words(row.args);
    line.insert(line.begin(), "D:/kit/zud.exe");
    std::vector<char *> argv;
    for (std::string &word : line)
      argv.push_back(&word[0]);
    argv.push_back(nullptr);

    const int kept = l_scan_arguments((int)line.size(), argv.data());
    EXPECT_EQ(std::vector<std::string>(argv.begin() + 1, argv.begin() + kept), words(row.kept))
        << row.args;
    EXPECT_STREQ(argv[0], "D:/kit/zud.exe");
    EXPECT_EQ(argv[line.size()], nullptr) << row.args;
    EXPECT_STREQ(l_perl_override ? l_perl_override : "<none>", row.perl ? row.perl : "<none>")
        << row.args;
    EXPECT_EQ(l_fast_emulator, row.fast_emulator) << row.args;
    EXPECT_EQ(l_skip_tallova_bin, row.skip_tallova_bin) << row.args;
  }
}

TEST_F(LauncherEnvironment, SetAndPrependUpdateOneVariable) {
  struct Row {
    const char *inherited; // null: absent
    int prepend;
    const char *value;
    int debug;
    const char *expected, *output;
  };
  const Row rows[] = {
      {nullptr, 1, "new", 0, "new", ""},
      {"old", 1, "new", 0, "new;old", ""},
      {"old", 1, "", 0, ";old", ""},
      {nullptr, 1, "", 0, "<unset>", ""},
      {"a;b", 1, "a", 0, "a;a;b", ""},
      {"old", 1, "new", 1, "new;old", "Prepend ZUD_VAR with new\n"},
      {nullptr, 1, "", 1, "<unset>", "Prepend ZUD_VAR with \n"},
      {"old", 0, "new", 1, "new", ""},
      {"old", 0, "", 0, "<unset>", ""},
  };
  for (const Row &row : rows) {
    put("ZUD_VAR", row.inherited);
    l_debug = row.debug;
    testing::internal::CaptureStdout();
    const int ok =
        row.prepend ? l_prepend_path("ZUD_VAR", row.value) : l_setenv("ZUD_VAR", row.value);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), row.output) << row.expected;
    EXPECT_EQ(ok, 1) << row.expected;
    EXPECT_EQ(env("ZUD_VAR"), row.expected);
  }
}

// Texts at the edge of the 16 MiB composition buffers.
TEST_F(LauncherEnvironment, CompositionsThatDoNotFitTheBuffers) {
  const size_t fit = L_ENV_BUFFER_SIZE - 1; // the most characters that fit
  struct Row {
    const char *label;
    int prepend;
    size_t value_len;
    int expect_ok, too_long; // a fitting assignment keeps fit - 8 value characters
  };
  const Row rows[] = {
      {"assignment fits exactly", 0, fit - 8, 1, 0},
      {"assignment one too long", 0, fit - 7, 1, 1},
      {"assignment far too long", 0, fit + 100, 1, 1},
      {"list fits, assignment cut", 1, fit - 2, 1, 1},
      {"list one too long", 1, fit - 1, 0, 0},
  };
  for (const Row &row : rows) {
    if (row.expect_ok && !kHugeVariables)
      continue;
    put("ZUD_VAR", "a");
    const std::string value(row.value_len, 'v');
    testing::internal::CaptureStdout();
    const int ok =
        row.prepend ? l_prepend_path("ZUD_VAR", value.c_str()) : l_setenv("ZUD_VAR", value.c_str());
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              row.too_long ? "Environment variable ZUD_VAR is too long\n" : "")
        << row.label;
    EXPECT_EQ(ok, row.expect_ok) << row.label;
    const std::string whole = row.prepend ? value + ";a" : value;
    const std::string expected = row.expect_ok ? whole.substr(0, fit - 8) : "a";
    EXPECT_TRUE(env("ZUD_VAR") == expected) << row.label; // no 16 MiB diff on failure
  }
}

struct Located {
  const char *torma, *tallova_bin, *tallova, *java, *drav, *vyro, *sdk_bin, *perl_lib;
};
const Located kAll = {"K", "T/bin64", "T", "J", "D", "V", "B", "P"};

void set_located(const Located &l) {
  const std::pair<char *, const char *> buffers[] = {{tallova_torma_backend, l.torma},
                                                     {tallova_bin, l.tallova_bin},
                                                     {tallova, l.tallova},
                                                     {tallova_java, l.java},
                                                     {drav_builder, l.drav},
                                                     {vyro_bin, l.vyro},
                                                     {sdk, "S"},
                                                     {sdk_bin, l.sdk_bin},
                                                     {sdk_host_bin, "H"},
                                                     {perl_fulllib, l.perl_lib}};
  for (const auto &b : buffers)
    strcpy(b.first, b.second);
}

TEST_F(LauncherEnvironment, StepsComposeTheChildsEnvironment) {
  struct Row {
    Located located;
    int fast_emulator, skip_tallova_bin, debug;
    const char *path, *ld, *perl5lib; // inherited; null: absent
    const char *want_path, *want_ld, *want_64bit, *want_rootdir, *want_perl5lib, *output;
  };
  const char *all_traced =
      "Prepend PATH with K\nPrepend PATH with T/bin64\nPrepend LD_LIBRARY_PATH with T/bin64\n"
      "Prepend PATH with J\nPrepend PATH with D\nPrepend PATH with V\nPrepend PATH with B\n"
      "Prepend PATH with H\nPrepend PATH with S/bin\nPrepend PERL5LIB with P\n";
  const Located none = {"", "", "", "", "", "", "", ""};
  const Row rows[] = {
      {kAll, 0, 0, 0, "I", "L", "P5", "S/bin;H;B;V;D;J;T/bin64;K;I", "T/bin64;L", "1", "T", "P;P5",
       ""},
      {kAll, 1, 0, 0, "I", "L", nullptr, "S/bin;H;B;V;D;J;I", "L", "<unset>", "T", "P", ""},
      {kAll, 0, 1, 0, "I", nullptr, nullptr, "S/bin;H;B;V;D;J;K;I", "<unset>", "<unset>", "T", "P",
       ""},
      {kAll, 0, 0, 1, "I", nullptr, nullptr, "S/bin;H;B;V;D;J;T/bin64;K;I", "T/bin64", "1", "T",
       "P", all_traced},
      // No PATH inherited, nothing optional found, under "--perl" (no Perl library).
      {none, 0, 0, 0, nullptr, nullptr, "P5", "S/bin;H", "<unset>", "<unset>", "<unset>", ";P5",
       ""},
      {none, 0, 0, 0, "I", nullptr, nullptr, "S/bin;H;I", "<unset>", "<unset>", "<unset>",
       "<unset>", ""},
  };
  for (const Row &row : rows) {
    reset_launcher_state();
    set_located(row.located);
    l_fast_emulator = row.fast_emulator;
    l_skip_tallova_bin = row.skip_tallova_bin;
    l_debug = row.debug;
    put("PATH", row.path);
    put("LD_LIBRARY_PATH", row.ld);
    put("PERL5LIB", row.perl5lib);
    for (const char *name : {"TALLOVA_64BIT", "TALLOVA_ROOTDIR", "ORVEXTAVRINSDKROOT"})
      put(name, nullptr);
    put("PERL_BADLANG", "inherited");

    testing::internal::CaptureStdout();
    EXPECT_EQ(l_setup_environment(), 1) << row.want_path;
    EXPECT_EQ(testing::internal::GetCapturedStdout(), row.output);
    EXPECT_EQ(env("PATH"), row.want_path);
    EXPECT_EQ(env("LD_LIBRARY_PATH"), row.want_ld) << row.want_path;
    EXPECT_EQ(env("TALLOVA_64BIT"), row.want_64bit) << row.want_path;
    EXPECT_EQ(env("TALLOVA_ROOTDIR"), row.want_rootdir) << row.want_path;
    EXPECT_EQ(env("ORVEXTAVRINSDKROOT"), "S") << row.want_path;
    EXPECT_EQ(env("PERL_BADLANG"), "0") << row.want_path;
    EXPECT_EQ(env("PERL5LIB"), row.want_perl5lib) << row.want_path;
  }
}

// A list that cannot take one more entry fails the first step that prepends
// to it; that step's message is printed and no later step runs.
TEST_F(LauncherEnvironment, FirstFailingStepEndsTheSequence) {
  if (!kHugeVariables)
    GTEST_SKIP() << "needs a variable of 16 MiB";
  const std::string huge(L_ENV_BUFFER_SIZE - 2, 'x');
  struct Row {
    Located located;
    const char *huge_variable, *message;
    const char *want_path; // null: the huge PATH unchanged
    const char *want_rootdir, *want_sdkroot, *want_badlang;
  };
  const char *const u = "<unset>";
  const Row rows[] = {
      {kAll, "PATH", "Failed l_prepend_path( \"PATH\", tallova_torma_backend )\n", nullptr, u, u,
       u},
      {{"", "T/bin64", "", "", "", "", "B", "P"},
       "PATH",
       "Failed l_prepend_path( \"PATH\", tallova_bin )\n",
       nullptr,
       u,
       u,
       u},
      {kAll, "LD_LIBRARY_PATH", "Failed l_prepend_path( \"LD_LIBRARY_PATH\", tallova_bin )\n",
       "T/bin64;K;I", u, u, u},
      {{"", "", "T", "J", "D", "V", "B", "P"},
       "PATH",
       "Failed l_prepend_path( \"PATH\", tallova_java )\n",
       nullptr,
       "T",
       u,
       u},
      {{"", "", "", "", "D", "V", "B", "P"},
       "PATH",
       "Failed l_prepend_path( \"PATH\", drav_builder )\n",
       nullptr,
       u,
       u,
       u},
      {{"", "", "", "", "", "V", "B", "P"},
       "PATH",
       "Failed l_prepend_path( \"PATH\", vyro_bin )\n",
       nullptr,
       u,
       u,
       u},
      {{"", "", "", "", "", "", "B", "P"},
       "PATH",
       "Failed l_prepend_path( \"PATH\", sdk_bin )\n",
       nullptr,
       u,
       "S",
       u},
      {{"", "", "", "", "", "", "", "P"},
       "PATH",
       "Failed l_prepend_path(\"PATH\", sdk_host_bin )\n",
       nullptr,
       u,
       "S",
       u},
      {kAll, "PERL5LIB", "Failed l_prepend_path (\"PERL5LIB\", perl_fulllib)\n",
       "S/bin;H;B;V;D;J;T/bin64;K;I", "T", "S", "0"},
  };
  for (const Row &row : rows) {
    reset_launcher_state();
    set_located(row.located);
    for (const char *name :
         {"LD_LIBRARY_PATH", "PERL5LIB", "TALLOVA_ROOTDIR", "ORVEXTAVRINSDKROOT", "PERL_BADLANG"})
      put(name, nullptr);
    put("PATH", "I");
    put(row.huge_variable, huge.c_str());

    testing::internal::CaptureStdout();
    EXPECT_EQ(l_setup_environment(), 0) << row.message;
    EXPECT_EQ(testing::internal::GetCapturedStdout(), row.message);
    EXPECT_TRUE(env(row.huge_variable) == huge) << row.message;
    EXPECT_EQ(env("PATH"), row.want_path ? row.want_path : env("PATH")) << row.message;
    EXPECT_EQ(env("TALLOVA_ROOTDIR"), row.want_rootdir) << row.message;
    EXPECT_EQ(env("ORVEXTAVRINSDKROOT"), row.want_sdkroot) << row.message;
    EXPECT_EQ(env("PERL_BADLANG"), row.want_badlang) << row.message;
  }
}

// The whole launcher in process: a PATH that cannot grow ends the run with
// status 4 after the step's message and the launcher's own.
TEST_F(LauncherState, EnvironmentFailureEndsTheRunWithStatus4) {
  if (!kHugeVariables)
    GTEST_SKIP() << "needs a variable of 16 MiB";
  TempTree tree;
  tree.lay_out({"share/", "windows64/bin/zud", "host/windows64/bin/perl/bin/",
                "host/windows64/bin/perl/lib/"});
  const std::string file = capture_file(0);
  std::string argv0 = tree.path("windows64/bin/zud");
  char *argv[] = {&argv0[0], nullptr};
  const std::string huge = "PATH=" + std::string(L_ENV_BUFFER_SIZE - 2, 'x');
  EXPECT_EXIT(
      {
        redirect_stdout(file);
        for (const char *name : {"TALLOVA_ROOTDIR_OVERRIDE=", "TALLOVA_ROOTDIR=", "TALLOVA_BINDIR=",
                                 "TEV_TORMA_ROOT_OVERRIDE=", "ZUDL_ENTRY_DEBUG=", huge.c_str()})
          rt_putenv(name);
        exit(entry_main(1, argv));
      },
      testing::ExitedWithCode(4), "^$");
  EXPECT_EQ(read_capture(file),
            "Failed l_prepend_path( \"PATH\", sdk_bin )\nzud: Could not set environment for SDK\n");
}

} // namespace
