#include "fs_tree.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace fs = std::filesystem;

TempTree::TempTree() {
  static std::atomic<unsigned> counter{0};
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  fs::path base = fs::temp_directory_path();
  for (;;) {
    fs::path candidate =
        base / ("zudtest-" + std::to_string(stamp) + "-" + std::to_string(counter++));
    if (fs::create_directory(candidate)) {
      // Resolve links (/tmp may be one) so the tests compare real paths.
      root_ = fs::canonical(candidate).generic_string();
      return;
    }
  }
}

TempTree::~TempTree() {
  std::error_code ignored;
  fs::remove_all(fs::u8path(root_), ignored);
}

void TempTree::dir(const std::string &rel) const {
  std::error_code ec;
  fs::create_directories(fs::u8path(path(rel)), ec);
  if (ec)
    throw std::runtime_error("cannot make directory " + path(rel) + ": " + ec.message());
}

void TempTree::file(const std::string &rel, const std::string &content) const {
  const fs::path full = fs::u8path(path(rel));
  if (full.has_parent_path())
    fs::create_directories(full.parent_path());
  std::ofstream out(full, std::ios::binary);
  out << content;
  if (!out)
    throw std::runtime_error("cannot write " + path(rel));
}

void TempTree::lay_out(std::initializer_list<std::string> entries) const {
  for (const std::string &entry : entries) {
    if (!entry.empty() && entry.back() == '/')
      dir(entry);
    else
      file(entry);
  }
}
