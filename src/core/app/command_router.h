// Menu, button and key commands by id (resources/ids.h). The feature that
// handles a command registers it here; dispatching is a look-up.
#pragma once

#include <functional>
#include <map>
#include <vector>

namespace tarnwick {

class CommandRouter {
 public:
  using Handler = std::function<void()>;

  // One handler per id: a second registration is refused (false), the first
  // handler stays.
  bool Register(int id, Handler handler);
  // Runs the id's handler; false when nothing handles it.
  bool Dispatch(int id) const;
  bool Handles(int id) const { return handlers_.contains(id); }
  std::vector<int> Ids() const;

 private:
  std::map<int, Handler> handlers_;
};

}  // namespace tarnwick
