// The directory walk and the file tests on real trees, the platform name and
// the debug level.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "fs_tree.h"
#include "tev_morl_entry.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace {

namespace fs = std::filesystem;

const char never[] = "zud-never-such-dir";

TEST(FindAncestorDir, WalksUpOneCandidateAtATime) {
  struct Row {
    std::vector<std::string> layout;
    const char *start; // below the tree's root
    const char *name;
    int32_t levels;
    bool found;
    const char *after; // below the root; "-" for the root's drive (all '/' cut)
  };
  const Row rows[] = {
      // Found as the first, second and fourth candidate.
      {{"x/bin/tool", "x/bin/share/"}, "x/bin/tool", "share", 6, true, "x/bin/share"},
      {{"x/bin/tool", "x/share/"}, "x/bin/tool", "share", 6, true, "x/share"},
      {{"x/y/z/tool", "share/"}, "x/y/z/tool", "share", 6, true, "share"},
      // The limit counts candidates: four reach it, three stop short.
      {{"x/y/z/tool", "share/"}, "x/y/z/tool", "share", 4, true, "share"},
      {{"x/y/z/tool", "share/"}, "x/y/z/tool", "share", 3, false, "x"},
      // A regular file of the name is passed over.
      {{"x/bin/tool", "x/bin/share", "x/share/"}, "x/bin/tool", "share", 6, true, "x/share"},
      {{"x/bin/tool", "x/bin/share"}, "x/bin/tool", "share", 1, false, "x/bin"},
      // No walk at all.
      {{"x/bin/share/"}, "x/bin/tool", "share", 0, false, "x/bin/tool"},
      {{"x/bin/share/"}, "x/bin/tool", "share", -1, false, "x/bin/tool"},
      // A trailing '/' makes an empty last component.
      {{"x/bin/share/"}, "x/bin/", "share", 1, true, "x/bin/share"},
      {{"x/share/"}, "x/bin/", "share", 1, false, "x/bin"},
      // Already there: the path itself is the first candidate.
      {{"x/share/"}, "x/share", "share", 1, true, "x/share"},
      // Up past the root until no '/' is left.
      {{"x/tool"}, "x/tool", never, 1000, false, "-"},
  };
  for (const Row &row : rows) {
    TempTree tree;
    for (const std::string &entry : row.layout)
      tree.lay_out({entry});
    char path[TEV_MORL_ENTRY_MAX_PATH];
    snprintf(path, sizeof path, "%s", tree.path(row.start).c_str());
    const char *got = find_ancestor_dir(path, row.name, row.levels);
    const std::string &root = tree.root();
    const std::string after =
        strcmp(row.after, "-") == 0 ? root.substr(0, root.find('/')) : tree.path(row.after);
    EXPECT_EQ(got, row.found ? path : nullptr) << row.start << " " << row.levels;
    EXPECT_EQ(path, after) << row.start << " " << row.levels;
  }
}

TEST(FindAncestorDir, RefusesBadArgumentsAndPathsWithoutSlash) {
  char path[TEV_MORL_ENTRY_MAX_PATH] = "tool.exe";
  EXPECT_EQ(find_ancestor_dir(path, "share", 6), nullptr);
  EXPECT_STREQ(path, "tool.exe");
  EXPECT_EQ(find_ancestor_dir(path, nullptr, 6), nullptr);
  EXPECT_EQ(find_ancestor_dir(nullptr, "share", 6), nullptr);
  EXPECT_STREQ(path, "tool.exe");
}

// A directory path of exactly `length` characters below root, in components
// short enough for any file system.
std::string path_of_length(const std::string &root, size_t length) {
  std::string path = root;
  while (path.size() < length) {
    const size_t remaining = length - path.size();
    size_t chunk = remaining - 1 > 200 ? 200 : remaining - 1;
    if (remaining - 1 - chunk == 1) // never leave room for a bare '/'
      --chunk;
    path += "/" + std::string(chunk, 'd');
  }
  return path;
}

// A candidate that fills the 4096-byte buffer with its NUL is tested; one
// byte more ends the walk before the path is changed.
TEST(FindAncestorDir, CandidateBoundary) {
#ifdef _WIN32
  GTEST_SKIP() << "wine's file system takes no path this long";
#endif
  struct Row {
    size_t candidate_length; // without the NUL
    bool found;
  };
  const Row rows[] = {{TEV_MORL_ENTRY_MAX_PATH - 1, true}, {TEV_MORL_ENTRY_MAX_PATH, false}};
  for (const Row &row : rows) {
    TempTree tree;
    const std::string dir = path_of_length(tree.root(), row.candidate_length - strlen("/share"));
    ASSERT_EQ(dir.size() + strlen("/share"), row.candidate_length);
    if (row.found)
      fs::create_directories(dir + "/share");
    const std::string start = dir + "/tool";
    char path[TEV_MORL_ENTRY_MAX_PATH];
    ASSERT_LT(start.size(), sizeof path);
    memcpy(path, start.c_str(), start.size() + 1);
    const char *got = find_ancestor_dir(path, "share", 6);
    EXPECT_EQ(got != nullptr, row.found) << row.candidate_length;
    EXPECT_EQ(path, row.found ? dir + "/share" : start) << row.candidate_length;
  }
}

TEST(FileTests, ClassifyByKind) {
  TempTree tree;
  tree.lay_out({"dir/", "file"});
  struct Row {
    std::string path;
    int32_t dir, reg;
  };
  std::vector<Row> rows = {
      {tree.path("dir"), 1, 0},
      {tree.path("file"), 0, 1},
      {tree.path("missing"), 0, 0},
      {tree.path("file/below"), 0, 0},
  };
#ifndef _WIN32
  ASSERT_EQ(mkfifo(tree.path("fifo").c_str(), 0600), 0);
  fs::create_symlink(tree.path("file"), tree.path("link"));
  rows.push_back({tree.path("fifo"), 0, 0});
  rows.push_back({tree.path("link"), 0, 1});
#endif
  for (const Row &row : rows) {
    EXPECT_EQ(is_directory(row.path.c_str()), row.dir) << row.path;
    EXPECT_EQ(is_regular_file(row.path.c_str()), row.reg) << row.path;
  }
  EXPECT_EQ(is_directory(nullptr), 0);
  EXPECT_EQ(is_regular_file(nullptr), 0);
}

TEST(PlatformAndDebugLevel, FixedNameAndAOneWayCounter) {
  EXPECT_STREQ(get_platform_name(), "windows64");
  EXPECT_EQ(get_platform_name(), get_platform_name());
  EXPECT_EQ(get_debug_level(), 0);
  increase_debug_level();
  EXPECT_EQ(get_debug_level(), 1);
  increase_debug_level();
  EXPECT_EQ(get_debug_level(), 2);
}

} // namespace
