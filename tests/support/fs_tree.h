// Temporary installation trees for tests, removed when the object goes.
#ifndef FS_TREE_H
#define FS_TREE_H

#include <initializer_list>
#include <string>

class TempTree {
public:
  TempTree();
  ~TempTree();
  TempTree(const TempTree &) = delete;
  TempTree &operator=(const TempTree &) = delete;

  // Absolute, with '/' as the only separator, no trailing '/'.
  const std::string &root() const { return root_; }
  std::string path(const std::string &rel) const { return root_ + "/" + rel; }

  // Each entry is relative to the root: one ending in '/' is a directory,
  // any other a regular file; missing parents are made.
  void lay_out(std::initializer_list<std::string> entries) const;
  void dir(const std::string &rel) const;
  void file(const std::string &rel, const std::string &content = "") const;

private:
  std::string root_;
};

#endif
