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

TEST(FindAncestorDir, WalksUpOneCandidateAtATime) {
  struct Row {
    std::vector<std::string> layout;
    const char *start, *name; // start below the tree's root
    int32_t levels;
    bool found;
    const char *after; // below the root; "-" for the root's drive (all '/' cut)
  };
  const Row rows[] = {
      // Found as the first, second and fourth candidate; four reach a limit of 4.
      {{"x/bin/tool", "x/bin/share/"}, "x/bin/tool", "share", 6, true, "x/bin/share"},
      {{"x/bin/tool", "x/share/"}, "x/bin/tool", "share", 6, true, "x/share"},
      {{"x/y/z/tool", "share/"}, "x/y/z/tool", "share", 4, true, "share"},
      {{"x/y/z/tool", "share/"}, "x/y/z/tool", "share", 3, false, "x"},
      // A regular file of the name is passed over.
      {{"x/bin/tool", "x/bin/share", "x/share/"}, "x/bin/tool", "share", 6, true, "x/share"},
      {{"x/bin/tool", "x/bin/share"}, "x/bin/tool", "share", 1, false, "x/bin"},
      {{"x/bin/share/"}, "x/bin/tool", "share", 0, false, "x/bin/tool"},
      {{"x/bin/share/"}, "x/bin/tool", "share", -1, false, "x/bin/tool"},
      // A trailing '/' makes an empty last component.
      {{"x/bin/share/"}, "x/bin/", "share", 1, true, "x/bin/share"},
      {{"x/share/"}, "x/bin/", "share", 1, false, "x/bin"},
      {{"x/share/"}, "x/share", "share", 1, true, "x/share"},
      // Up past the root until no '/' is left.
      {{"x/tool"}, "x/tool", "zud-never-such-dir", 1000, false, "-"}};
  for (const Row &row : rows) {
    TempTree tree;
    for (const std::string &entry : row.layout)
      tree.lay_out({entry});
    char path[TEV_MORL_ENTRY_MAX_PATH];
    snprintf(path, sizeof path, "%s", tree.path(row.start).c_str());
    const char *got = find_ancestor_dir(path, row.name, row.levels);
    const std::string &root = tree.root();
    EXPECT_EQ(got, row.found ? path : nullptr) << row.start << " " << row.levels;
    EXPECT_EQ(path, *row.after == '-' ? root.substr(0, root.find('/')) : tree.path(row.after));
  }
  char path[TEV_MORL_ENTRY_MAX_PATH] = "tool.exe";
  EXPECT_EQ(find_ancestor_dir(path, "share", 6), nullptr);
  EXPECT_EQ(find_ancestor_dir(path, nullptr, 6), nullptr);
  EXPECT_EQ(find_ancestor_dir(nullptr, "share", 6), nullptr);
  EXPECT_STREQ(path, "tool.exe");
}

// A candidate that fills the 4096-byte buffer with its NUL is tested; one
// byte more ends the walk before the path is changed.
TEST(FindAncestorDir, CandidateBoundary) {
#ifdef _WIN32
  GTEST_SKIP() << "wine's file system takes no path this long";
#endif
  for (const size_t candidate : {TEV_MORL_ENTRY_MAX_PATH - 1, TEV_MORL_ENTRY_MAX_PATH}) {
    TempTree tree;
    // Components of at most 200 characters, none empty, up to the length.
    std::string dir = tree.root();
    for (size_t left; (left = candidate - strlen("/share") - dir.size()) > 0;)
      dir += "/" + std::string(left <= 201 ? left - 1 : left == 202 ? 199 : 200, 'd');
    const bool found = candidate < TEV_MORL_ENTRY_MAX_PATH;
    if (found)
      fs::create_directories(dir + "/share");
    char path[TEV_MORL_ENTRY_MAX_PATH];
    snprintf(path, sizeof path, "%s/tool", dir.c_str());
    EXPECT_EQ(find_ancestor_dir(path, "share", 6) != nullptr, found) << candidate;
    EXPECT_EQ(path, dir + (found ? "/share" : "/tool")) << candidate;
  }
}

TEST(FileTests, ClassifyByKindAndFixedSettings) {
  TempTree tree;
  tree.lay_out({"dir/", "dir/file"});
  // 1 a directory, 2 a regular file, 0 neither.
  std::vector<std::pair<std::string, int>> rows = {
      {"dir", 1}, {"dir/file", 2}, {"dir\\file", 2}, {"missing", 0}, {"dir/file/below", 0}};
#ifndef _WIN32
  // Links are followed; a pipe is of neither kind.
  ASSERT_EQ(mkfifo(tree.path("fifo").c_str(), 0600), 0);
  fs::create_directory_symlink(tree.path("dir"), tree.path("link"));
  rows.insert(rows.end(), {{"fifo", 0}, {"link", 1}});
#endif
  for (const auto &[rel, kind] : rows) {
    EXPECT_EQ(is_directory(tree.path(rel).c_str()), kind == 1) << rel;
    EXPECT_EQ(is_regular_file(tree.path(rel).c_str()), kind == 2) << rel;
  }
  EXPECT_EQ(is_directory(nullptr) + is_regular_file(nullptr), 0);

  EXPECT_STREQ(get_platform_name(), "windows64");
  for (int32_t level = 0; level < 3; increase_debug_level())
    EXPECT_EQ(get_debug_level(), level++);
}

} // namespace
