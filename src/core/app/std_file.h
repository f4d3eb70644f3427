// A C stdio file that closes itself.
#pragma once

#include <cstdio>
#include <memory>

namespace tarnwick {

struct StdFileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using StdFile = std::unique_ptr<std::FILE, StdFileCloser>;

}  // namespace tarnwick
