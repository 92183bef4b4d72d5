// The locator on real trees: the executable search, the query's own steps, the
// SDK and the Tallova suite requests with their messages, length limits and
// trace lines. Tracing is on for the whole binary; all output is captured.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "fs_tree.h"
#include "runtime.h"
#include "tev_morl_entry.h"

namespace {

namespace fs = std::filesystem;

#ifdef _WIN32
const bool long_paths = false; // wine's runtime stops at the classic limit
#else
const bool long_paths = true;
#endif
#ifdef LOCATOR_DRIVE
const std::string drive = LOCATOR_DRIVE; // mapped by the CTest fixture
#else
const std::string drive;
#endif

struct TraceOn : testing::Environment {
  void SetUp() override { increase_debug_level(); }
};
testing::Environment *const trace_on = testing::AddGlobalTestEnvironment(new TraceOn);

const char head[] = "Could not determine where Tallova is installed. Tried looking at:\n"
                    "  - TALLOVA_ROOTDIR_OVERRIDE environment variable,\n"
                    "  - Directories near executable ";
const char tail[] = "\n  - TALLOVA_ROOTDIR environment variable,\n  - PATH environment variable.\n"
                    "To fix the problem, add tallova bin directory to the PATH.";

std::vector<std::string> split(const std::string &s, char sep) {
  std::vector<std::string> parts;
  std::istringstream in(s);
  for (std::string part; std::getline(in, part, sep);)
    if (!part.empty())
      parts.push_back(part);
  return parts;
}

std::string replace_all(std::string s, const std::string &from, const std::string &to) {
  for (size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size()))
    s.replace(at, from.size(), to);
  return s;
}

void collect(const char *msg, void *user) {
  static_cast<std::vector<std::string> *>(user)->push_back(msg);
}

const char *const variables[] = {"PATH", "TALLOVA_ROOTDIR_OVERRIDE", "TALLOVA_ROOTDIR",
                                 "TALLOVA_BINDIR", "TEV_TORMA_ROOT_OVERRIDE"};

class Locator : public testing::Test {
protected:
  void TearDown() override { fs::current_path(cwd); } // before the tree goes

  // A fresh tree, the variables unset and PATH naming an empty directory.
  // Entries ending in '/' are directories (made without it: a path may have
  // 4095 characters); "{D}" ones lie on the tests' drive.
  void start(const char *layout, const char *env, const char *cwd_rel) {
    t.reset(new TempTree);
    t->dir("empty");
    for (const std::string &entry : split(layout, ' ')) {
      const std::string path = expand(entry), bare = path.substr(0, path.size() - 1);
      if (entry.rfind("{D}", 0) != 0)
        path.back() == '/' ? t->dir(bare) : t->file(path);
      else if (fs::create_directories(fs::path(path).parent_path()), path.back() != '/')
        std::ofstream{path};
    }
    for (const char *name : variables)
      rt_putenv((std::string(name) + "=").c_str());
    rt_putenv(("PATH=" + t->path("empty")).c_str());
    for (const std::string &setting : split(env, '|'))
      ASSERT_EQ(rt_putenv(expand(setting).c_str()), 0);
    fs::current_path(fs::u8path(t->path(cwd_rel)));
  }

  // {T} the tree's root, {Rn} a path below it that makes "{T}/{Rn}" n
  // characters long, {Xn} n characters, {D} the tests' drive, {H}/{E} the
  // suite diagnostic's head and tail.
  std::string expand(std::string s) const {
    for (size_t at = s.find('{'), end; at != s.npos; at = s.find('{', at)) {
      end = s.find('}', at);
      const std::string key = s.substr(at, end - at + 1);
      std::string by = key == "{T}"   ? t->root()
                       : key == "{D}" ? drive
                       : key == "{H}" ? head
                       : key == "{E}" ? tail
                                      : key;
      if (isdigit((unsigned char)key[2])) {
        by.assign(std::stoul(key.substr(2)) - (key[1] == 'R' ? t->root().size() + 1 : 0), 'e');
        for (size_t i = 200; key[1] == 'R' && i + 1 < by.size(); i += 201)
          by[i] = '/';
      }
      s.replace(at, key.size(), by);
      at += by.size();
    }
    return s;
  }

  std::unique_ptr<TempTree> t;
  const fs::path cwd = fs::current_path();
};

TEST_F(Locator, SearchOrderAndWhatItLeaves) {
  struct Row {
    const char *layout, *cwd, *path, *name;
    bool found;
    const char *out, *trace;
  };
  const Row rows[] = {
      {"tool d1/tool", "", "{T}/d1", "tool", true, "{T}/tool", "found it right away\n"},
      {"tool/ d1/tool", "", "{T}/d1", "tool", true, "{T}/d1/tool",
       " PATH is '{T}/d1'\n component '{T}/d1'\n looking at '{T}/d1/tool'\n"},
      {"d2/tool.exe", "", "{T}/d1;{T}/d2", "tool", true, "{T}/d2/tool.exe",
       " PATH is '{T}/d1;{T}/d2'\n component '{T}/d1'\n looking at '{T}/d1/tool'\n component "
       "'{T}/d2'\n looking at '{T}/d2/tool'\n PATH is '{T}/d1;{T}/d2'\n component '{T}/d1'\n "
       "looking at '{T}/d1/tool.exe'\n component '{T}/d2'\n looking at '{T}/d2/tool.exe'\n"},
      // Entries verbatim: separators kept, relative, empty; no empty last one.
      {"d1/s/tool", "", "{T}/d1\\s", "tool", true, "{T}/d1\\s/tool",
       " PATH is '{T}/d1\\s'\n component '{T}/d1\\s'\n looking at '{T}/d1\\s/tool'\n"},
      {"d2/tool.EXE", "", ";d2;", "tool.EXE", true, "d2/tool.EXE",
       " PATH is ';d2;'\n component ''\n looking at '/tool.EXE'\n component 'd2'\n looking at "
       "'d2/tool.EXE'\n"},
      {"d2/tool", "", "{X4096};{X4091};{X4090};{T}/d2", "tool", true, "{T}/d2/tool",
       " PATH is '{X4096};{X4091};{X4090};{T}/d2'\n component '{X4091}'\n component '{X4090}'\n "
       "looking at '{X4090}/tool'\n component '{T}/d2'\n looking at '{T}/d2/tool'\n"},
      // Not found: the last name tried, made absolute.
      {"d1/", "d1", nullptr, "tool", false, "{T}/d1/tool.exe",
       " PATH is '(unset)'\n PATH is '(unset)'\n"},
      {"", "", ";", "TOOL.eXe", false, "{T}/TOOL.eXe",
       " PATH is ';'\n component ''\n looking at '/TOOL.eXe'\n"},
      // No absolute form against the current directory: nothing is left.
      {"", "", "{T}/d1", "{X4080}", false, "",
       " PATH is '{T}/d1'\n component '{T}/d1'\n PATH is '{T}/d1'\n component '{T}/d1'\n"},
      {"d1/v.2/t.sh.exe", "", "{T}/d1", "v.2/t.sh", true, "{T}/d1/v.2/t.sh.exe",
       " PATH is '{T}/d1'\n component '{T}/d1'\n looking at '{T}/d1/v.2/t.sh'\n PATH is '{T}/d1'\n "
       "component '{T}/d1'\n looking at '{T}/d1/v.2/t.sh.exe'\n"},
  };
  for (const Row &row : rows) {
    SCOPED_TRACE(row.out);
    start(row.layout, row.path ? (std::string("PATH=") + row.path).c_str() : "PATH=", row.cwd);
    const std::string name = expand(row.name);
    const char *ptr = name.c_str();
    char out[TEV_MORL_ENTRY_MAX_PATH];
    memset(out, 'x', sizeof out - 1);
    out[sizeof out - 1] = '\0';
    testing::internal::CaptureStdout();
    locate_executable(&ptr, out, sizeof out);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), expand(row.trace));
    EXPECT_EQ(ptr, row.found ? out : name.c_str());
    EXPECT_EQ(std::string(out), expand(row.out));
  }
}

TEST_F(Locator, AbsolutePathAndDirectorySetting) {
  start("", "", "");
  const std::string drv = fs::current_path().root_name().generic_string();
  // Wine reads a leading '/' as its Unix root, so the drive-relative row uses '\'.
  for (const auto &row : std::vector<std::pair<const char *, std::string>>{
           {"a\\b/./c\\..\\d", t->path("a/b/d")},
           {"\\x\\y", drv + "/x/y"},
           {"\\\\server\\share\\x", "//server/share/x"}}) {
    char out[TEV_MORL_ENTRY_MAX_PATH];
    EXPECT_EQ(get_absolute_path(row.first, out), out);
    EXPECT_EQ(std::string(out), row.second);
  }
  char keep[TEV_MORL_ENTRY_MAX_PATH] = "keep";
  EXPECT_EQ(get_absolute_path(nullptr, keep), nullptr);
  EXPECT_EQ(copy_dir_setting(keep, "x", 0), nullptr);
  EXPECT_STREQ(keep, "keep");

  const std::string huge(5000, 'v');
  const struct {
    const char *src;
    size_t n;
    const char *copy;
  } rows[] = {{nullptr, 4096, ""},    {"/", 4096, "/"},
              {"\\\\\\", 4096, "\\"}, {"/\\/", 4096, "/"},
              {"C:\\", 4096, "C:"},   {"\\a\\b\\\\c\\/", 4096, "\\a/b//c"},
              {"a/ \\", 4096, "a/ "}, {"ab/cd", 4, "ab"},
              {"a\\b", 4, "a/b"},     {huge.c_str(), 4096, huge.c_str() + 905}};
  for (const auto &row : rows) {
    char dst[TEV_MORL_ENTRY_MAX_PATH];
    EXPECT_EQ(copy_dir_setting(dst, row.src, row.n), dst);
    EXPECT_STREQ(dst, row.copy);
  }
}

TEST_F(Locator, RefusesBadArgumentsWithOneMessage) {
  start("", "", "");
  const std::string n4090(4090, 'n'), n4091(4091, 'n');
  const char *const none = nullptr;
  const struct {
    const char *exe;
    bool buf;
    uint64_t size;
    int request;
    const char *msg;
    bool emptied;
  } rows[] = {
      {none, false, 4096, SELF, "Internal error: executable name is not supplied", false},
      {none, true, 4096, SELF, "Internal error: executable name is not supplied", true},
      {none, true, 0, SELF, "Internal error: executable name is not supplied", false},
      {"zud", false, 4096, SELF, "Internal error: path buffer is NULL", false},
      {"zud", true, 4095, SELF, "Internal error: path buffer is too short", true},
      {"zud", true, 0, SELF, "Internal error: path buffer is too short", false},
      {n4091.c_str(), true, 4096, 99, "Path to executable is too long", true},
      {n4090.c_str(), true, 4096, 15, "Internal error: Bad MORL entry query request", true},
      {"zud", true, 4096, -1, "Internal error: Bad MORL entry query request", true},
  };
  for (const auto &row : rows) {
    for (bool quiet : {false, true}) {
      SCOPED_TRACE(std::string(row.msg) + (quiet ? ", quiet" : ""));
      std::vector<char> buf(4097, 'x');
      buf.back() = '\0';
      std::vector<std::string> msgs;
      testing::internal::CaptureStdout();
      EXPECT_EQ(tev_morl_entry_query(row.exe, (tev_morl_entry_request)row.request,
                                     row.buf ? buf.data() : nullptr, row.size,
                                     quiet ? nullptr : collect, &msgs),
                nullptr);
      testing::internal::GetCapturedStdout();
      EXPECT_EQ(msgs, quiet ? std::vector<std::string>{} : std::vector<std::string>{row.msg});
      EXPECT_EQ(buf[0], row.emptied ? '\0' : 'x');
    }
  }
}

#define KIT "k/share/ k/1/2/3/4/bin/zud "
#define KEXE "{T}/k/1/2/3/4/bin/zud"
#define X "x/y/z/bin/zud "
#define XE "{T}/x/y/z/bin/zud"
#define O "TALLOVA_ROOTDIR_OVERRIDE={T}/s"
#define TORMA TALLOVA_TORMA_BACKEND_DIR
#define FOUND "found it right away\nresolved: "
#define DIAG "{H}" XE "{E}"
#define NO_SHARE "Could not find root directory for the SDK:  could not find the 'share' directory"
#define NO_SDK "Could not determine the path to SDK"
#define NO_BIN "Could not determine the path to SDK internal executables"
#define NO_HOST_BIN "Could not determine the path to SDK or RTE internal executables"
#define NO_LIB "Could not determine the path to SDK internal libraries"
#define NO_PERL_EXE "Could not determine the path to SDK internal Perl executable"
#define NO_EXE_ABS "Internal error: Could not determine absolute path to executable"
#define TOO_LONG "Internal error: Path to Tallova program directory is too long"
#define NO_PERL "Could not find the Perl command inside Tallova"
#define NO_TORMA "Could not find the TORMA backend directory inside Tallova"

TEST_F(Locator, Requests) {
  struct Row {
    const char *layout, *env, *exe;
    int request;
    const char *path;            // the buffer afterwards
    const char *msgs;            // '|'-separated, innermost first; none for a success
    const char *trace = nullptr; // all that the query prints
    bool empty_result = false;
    const char *cwd = "";
    uint64_t size = TEV_MORL_ENTRY_MAX_PATH;
  };
  const Row rows[] = {
      // SELF: the resolved executable, made absolute; nothing need exist.
      {"b/zudl.exe", "", "zudl", SELF, "{T}/b/zudl.exe", "", nullptr, false, "b"},
      {"b/zud", "", "{T}\\b\\zud", SELF, "{T}/b/zud", ""},
      {"d/y++", "PATH=d", "y++", SELF, "{T}/d/y++", "",
       " PATH is 'd'\n component 'd'\n looking at 'd/y++'\nresolved: d/y++\n"
       "finding: SELF {P}\nfinding: SELF --> {P} {T}/d/y++\n"},
      // The SDK root: six candidates; a regular file "share" does not count.
      {"kit/host/windows64/bin/tool.exe kit/share/", "", "{T}/kit/host/windows64/bin/tool.exe",
       SDK_HOST_BIN, "{T}/kit/host/windows64/bin", ""},
      {"s/1/2/3/4/5/zud s/share/", "", "{T}/s/1/2/3/4/5/zud", SDK, "{T}/s", ""},
      {"s/1/2/3/4/5/6/zud s/share/", "", "{T}/s/1/2/3/4/5/6/zud", SDK_BIN, "",
       NO_SHARE "|" NO_SDK "|" NO_BIN},
      {"k/1/b/zud k/1/b/share k/share/", "", "{T}/k/1/b/zud", SDK, "{T}/k", ""},
      {KIT "k/windows64/bin/", "", KEXE, SDK_BIN, "{T}/k/windows64/bin", "",
       FOUND KEXE "\nfinding: SDK_BIN {P}\n" FOUND KEXE "\nfinding: SDK {P}\nfinding: SDK --> {P} "
                  "{T}/k\nfinding: SDK_BIN --> {P} {T}/k/windows64/bin\n"},
      {KIT "k/host/windows64/bin/perl/lib/", "", KEXE, SDK_PERL_LIB,
       "{T}/k/host/windows64/bin/perl/lib", "",
       FOUND KEXE "\nfinding: SDK_PERL_LIB {P}\n" FOUND KEXE "\nfinding: SDK {P}\nfinding: SDK "
                  "--> {P} {T}/k\nfinding: SDK_PERL_FULL_LIB --> {P} "
                  "{T}/k/host/windows64/bin/perl/lib\n"},
      {KIT "k/host/windows64/bin/perl/bin/", "", KEXE, SDK_PERL,
       "{T}/k/host/windows64/bin/perl/bin/perl.exe", ""},
      {KIT, "", KEXE, SDK_BIN, "",
       "Could not find SDK internal executables directory {T}/k/windows64/bin|" NO_BIN},
      {KIT, "", KEXE, SDK_HOST_BIN, "",
       "Could not find SDK internal runtime executables directory "
       "{T}/k/host/windows64/bin|" NO_HOST_BIN},
      {KIT, "", KEXE, SDK_LIB, "",
       "Could not find SDK internal libraries directory {T}/k/windows64/lib|" NO_LIB},
      {KIT, "", KEXE, SDK_HOST_LIB, "",
       "Could not find SDK internal runtime libraries directory {T}/k/host/windows64/lib|" NO_LIB},
      {KIT, "", KEXE, SDK_PERL_LIB, "",
       "Could not find SDK internal Perl full library directory {T}/k/host/windows64/bin/perl/lib|"
       "Could not determine the path to SDK full Perl libraries"},
      {KIT, "", KEXE, SDK_PERL, "",
       "Could not find SDK internal Perl runtime executable directory directory "
       "{T}/k/host/windows64/bin/perl/bin|" NO_PERL_EXE},
      {KIT, "", KEXE, 15, "", "Internal error: Bad MORL entry query request", FOUND KEXE "\n"},
      // Length limits of the SDK requests.
      {"{R4058}/share/ {R4058}/host/windows64/bin/perl/bin/", "", "{T}/{R4058}/zud", SDK_PERL,
       "{T}/{R4058}/host/windows64/bin/perl/bin/perl.exe", ""},
      {"{R4059}/share/ {R4059}/host/windows64/bin/perl/bin/", "", "{T}/{R4059}/zud", SDK_PERL, "",
       "Not enough space to determine path to SDK internal Perl executable"},
      {"{R4059}/share/ {R4059}/host/windows64/bin/perl/bin/", "", "{T}/{R4059}/zud", SDK_PERL,
       "{T}/{R4059}/host/windows64/bin/perl/bin/perl.exe", "", nullptr, false, "", 8192},
      {"{R4080}/share/ {R4080}/windows64/bin/", "", "{T}/{R4080}/zud", SDK_BIN,
       "{T}/{R4080}/windows64/bin", ""},
      {"{R4081}/share/", "", "{T}/{R4081}/zud", SDK_BIN, "",
       "Internal error: Path to SDK is too long|" NO_BIN},
      // Found with 4092 characters: too long for the nested look-up.
      {"{R4088}/zud", "PATH={T}/{R4088}", "zud", SDK_HOST_BIN, "",
       "Path to executable is too long|" NO_SDK "|" NO_HOST_BIN},
      // The name cannot be made absolute against the current directory.
      {"", "", "{X4080}", SDK_BIN, "",
       "Could not resolve absolute path to command|" NO_SDK "|" NO_BIN},
      {"", "", "{X4080}", TALLOVA_JAVA, "",
       NO_EXE_ABS "|Could not find the java command inside Tallova"},

      // The suite root's sources in their order.
      {X "o/s/ x/y/z/tallova/", "TALLOVA_ROOTDIR_OVERRIDE=o\\s\\\\/", XE, TALLOVA, "{T}/o/s", "",
       FOUND XE "\nfinding: TALLOVA {P}\nfinding: TALLOVA OVERRIDE --> {P} {T}/o/s\n"},
      {X "o x/y/z/bin/tallova/", "TALLOVA_ROOTDIR_OVERRIDE={T}/o", XE, TALLOVA,
       "{T}/x/y/z/bin/tallova", ""},
      {X "x/y/tallova/ o/", "TALLOVA_ROOTDIR={T}/o", XE, TALLOVA, "{T}/x/y/tallova", ""},
      {X "x/tallova/ o/", "TALLOVA_ROOTDIR={T}/o/", XE, TALLOVA, "{T}/o", "",
       FOUND XE "\nfinding: TALLOVA {P}\nfinding: TALLOVA rootdir--> {P} {ANY} {T}/o\n"},
      {X "o s/tallova/bin64/tallova_sh", "TALLOVA_ROOTDIR={T}/o|PATH=;s/tallova/bin64", XE, TALLOVA,
       "{T}/s/tallova", ""},
      {X "s/tallova/bin64/tallova_sh.exe", "PATH={T}/s/tallova/bin64", XE, TALLOVA, "{T}/s/tallova",
       "",
       FOUND XE "\nfinding: TALLOVA {P}\n PATH is '{T}/s/tallova/bin64'\n component "
                "'{T}/s/tallova/bin64'\n looking at '{T}/s/tallova/bin64/tallova_sh'\n PATH is "
                "'{T}/s/tallova/bin64'\n component '{T}/s/tallova/bin64'\n looking at "
                "'{T}/s/tallova/bin64/tallova_sh.exe'\nresolved tallova_sh: {T}/s/tallova\n"
                "finding: TALLOVA peer --> {ANY} {P} {T}/s/tallova\n"},
      {X "s/tallova/bin64/tallova_sh", "", XE, TALLOVA, "{T}/s/tallova", "", nullptr, false,
       "s/tallova/bin64"},
      {X "s/tallova/bin64/b/tallova_sh", "PATH={T}/s/tallova/bin64/b", XE, TALLOVA, "", DIAG},
      {X "s/other/bin64/tallova_sh", "PATH={T}/s/other/bin64", XE, TALLOVA, "", DIAG},
      {X "s/tallova/bin64/tallova_sh/", "PATH={T}/s/tallova/bin64", XE, TALLOVA, "", DIAG},
      {"x/y/z/bin/", "", "zud", TALLOVA, "", "{H}{T}/x/y/z/bin/zud.exe{E}", nullptr, false,
       "x/y/z/bin"},
      // Places below the suite root.
      {X "s/", O, XE, TALLOVA_BINDIR, "{T}/s/bin64", ""},
      {X "b/", "TALLOVA_BINDIR=b\\", XE, TALLOVA_BINDIR, "{T}/b", "",
       FOUND XE "\nfinding: TALLOVA_BINDIR {P}\n"},
      {X "s/bin64/perl/bin/perl.exe b/", O "|TALLOVA_BINDIR=b", XE, TALLOVA_PERL,
       "{T}/s/bin64/perl/bin/perl.exe", ""},
      {X "s/bin64/perl/bin/perl.exe/", O, XE, TALLOVA_PERL, "", NO_PERL},
      {X "x/y/z/tallova/bin64/jre64/bin/", "", XE, TALLOVA_JAVA,
       "{T}/x/y/z/tallova/bin64/jre64/bin", ""},
      {X "s/", O, XE, TALLOVA_JAVA, "",
       "Internal error: Path to Tallova java directory is not found!"},
      {X "s/drav_builder/bin/", O, XE, DRAV_BUILDER, "{T}/s/drav_builder/bin", ""},
      {X "s/drav_builder/bin", O, XE, DRAV_BUILDER, "",
       "Internal error: Path to DRAV Builder directory is not found!"},
      {X "s/ vyro/bin/", O, XE, VYRO_BIN, "{T}/s/../vyro/bin", ""},
      {X "s/", O, XE, VYRO_BIN, "{T}/s/../vyro/bin", "", nullptr, true},
      {X, "", XE, TALLOVA_BINDIR, "", DIAG "|Could not find Tallova program directory"},
      {X, "", XE, TALLOVA_PERL, "", DIAG "|" NO_PERL},
      {X, "", XE, TALLOVA_JAVA, "", DIAG "|Could not find the java command inside Tallova"},
      {X, "", XE, DRAV_BUILDER, "", DIAG "|Could not find the DRAV Builder command inside Tallova"},
      {X, "", XE, VYRO_BIN, "", DIAG "|Could not find the Vyro commands inside Tallova"},
      // The TORMA backend: the override unchanged, else below the SDK root.
      {KIT "t/windows64/", "TEV_TORMA_ROOT_OVERRIDE={T}/t/", KEXE, TORMA, "{T}/t//windows64", "",

       FOUND KEXE "\nfinding: TALLOVA_TORMA_BACKEND_DIR {P}\nfinding: TALLOVA_TORMA_BACKEND_DIR "
                  "through override --> {P} {ANY} {T}/t//windows64\n"},
      {KIT "t/ k/windows64/lib/torma/windows64/", "TEV_TORMA_ROOT_OVERRIDE={T}/t", KEXE, TORMA, "",
       NO_TORMA},
      {KIT "k/windows64/lib/torma/windows64/", "", KEXE, TORMA,
       "{T}/k/windows64/lib/torma/windows64", ""},
      {KIT, "", KEXE, TORMA, "", NO_TORMA},
      {"k/1/2/3/4/bin/zud", "", KEXE, TORMA, "", NO_SHARE "|" NO_TORMA},
      // Length limits of the suite requests.
      {X "{R4088}/", "TALLOVA_ROOTDIR_OVERRIDE={T}/{R4088}", XE, TALLOVA_BINDIR,
       "{T}/{R4088}/bin64", ""},
      {X "{R4089}/", "TALLOVA_ROOTDIR_OVERRIDE={T}/{R4089}", XE, TALLOVA_BINDIR, "", TOO_LONG},
      {X "{R4082}/", "TALLOVA_ROOTDIR_OVERRIDE={T}/{R4082}", XE, VYRO_BIN,
       "{T}/{R4082}/../vyro/bin", "", nullptr, true},
      {X "{R4083}/", "TALLOVA_ROOTDIR_OVERRIDE={T}/{R4083}", XE, VYRO_BIN, "", TOO_LONG},
      {KIT "{R4085}/windows64/", "TEV_TORMA_ROOT_OVERRIDE={T}/{R4085}", KEXE, TORMA,
       "{T}/{R4085}/windows64", ""},
      {KIT, "TEV_TORMA_ROOT_OVERRIDE={T}/{R4086}", KEXE, TORMA, "",
       "Internal error: Path to TORMA override directory is too long"},
      {"{R4064}/share/ {R4064}/windows64/lib/torma/windows64/", "", "{T}/{R4064}/zud", TORMA,
       "{T}/{R4064}/windows64/lib/torma/windows64", ""},
      {"{R4065}/share/", "", "{T}/{R4065}/zud", TORMA, "", TOO_LONG},
      {"{R3910}/zud", "", "{T}/{R3910}/zud", TALLOVA, "", "{H}{T}/{R3910}/zud{E}"},
      // An SDK at the top of a drive: the bare drive designator.
      {"{D}/share/ {D}/windows64/bin/ {D}/tools/bin/zud.exe", "", "{D}\\tools\\bin\\zud", SDK,
       "{D}", ""},
      {"{D}/share/ {D}/windows64/bin/ {D}/tools/bin/zud.exe", "PATH={D}\\tools\\bin", "zud",
       SDK_BIN, "{D}/windows64/bin", ""},
  };
  for (const Row &row : rows) {
    const std::string all = std::string(row.layout) + row.env + row.exe + row.path;
    if ((!long_paths && all.find("{R") != all.npos) ||
        (drive.empty() && all.find("{D}") != all.npos))
      continue;
    SCOPED_TRACE(std::string(row.exe) + " request " + std::to_string(row.request) + " " + row.env);
    start(row.layout, row.env, row.cwd);
    const std::string exe = expand(row.exe);
    const auto request = (tev_morl_entry_request)row.request;
    std::vector<char> buf(row.size, 'x');
    std::vector<std::string> msgs;
    testing::internal::CaptureStdout();
    const char *result =
        tev_morl_entry_query(exe.c_str(), request, buf.data(), row.size, collect, &msgs);
    // The trace as the rows give it: the tree's root as {T}, the buffer's
    // address as {P}, any other address as {ANY}.
    char address[32];
    snprintf(address, sizeof address, "%p", (void *)buf.data());
    const std::string printed = std::regex_replace(
        replace_all(replace_all(testing::internal::GetCapturedStdout(), t->root(), "{T}"), address,
                    "{P}"),
        std::regex("0x[0-9a-f]+|\\b[0-9A-Fa-f]{16}\\b"), "{ANY}");
    EXPECT_EQ(msgs, split(expand(row.msgs), '|'));
    EXPECT_EQ(std::string(buf.data()), expand(row.path));
    EXPECT_EQ(result != nullptr, *row.msgs == '\0');
    EXPECT_EQ(std::string(result ? result : ""), row.empty_result ? "" : buf.data());
    EXPECT_EQ(printed, row.trace ? row.trace : printed);
    if (!result) { // quietly: the same failure, the buffer emptied
      buf.assign(row.size, 'x');
      testing::internal::CaptureStdout();
      EXPECT_EQ(tev_morl_entry_query(exe.c_str(), request, buf.data(), row.size, nullptr, nullptr),
                nullptr);
      testing::internal::GetCapturedStdout();
      EXPECT_EQ(buf[0], '\0');
    }
  }
}

TEST_F(Locator, DiagnosticKeepsBothEndsOfAnOverlongPath) {
  if (!long_paths)
    GTEST_SKIP() << "paths beyond the classic limit";
  start("{R4086}/zud", "", "");
  const std::string exe = expand("{T}/{R4086}/zud");
  char buf[TEV_MORL_ENTRY_MAX_PATH];
  std::vector<std::string> msgs;
  testing::internal::CaptureStdout();
  EXPECT_EQ(tev_morl_entry_query(exe.c_str(), TALLOVA, buf, sizeof buf, collect, &msgs), nullptr);
  testing::internal::GetCapturedStdout();
  // 4195 characters: the head, 1955 + "..." + 1956 of the path, the tail.
  EXPECT_EQ(msgs, std::vector<std::string>{head + exe.substr(0, 1955) + "..." +
                                           exe.substr(exe.size() - 1956) + tail});
}

} // namespace
