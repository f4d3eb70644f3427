// What the find job tells its dialog: a hit to show (the hex view jumps to
// it and colours its cells) and the end of the search. Called on the worker
// thread; a Qt dialog posts, the command line prints.
#pragma once

#include <cstdint>

namespace tarnwick {

class FindView {
 public:
  virtual ~FindView() = default;
  // The search waits at this hit until Continue() or Abandon().
  virtual void ShowHit(std::uint64_t offset, std::size_t length) = 0;
  // The search ended by itself: `hits` were shown.
  virtual void SearchEnded(int hits) = 0;
};

}  // namespace tarnwick
