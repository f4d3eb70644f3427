#include "core/app/command_router.h"

namespace tarnwick {

bool CommandRouter::Register(int id, Handler handler) {
  return handlers_.emplace(id, std::move(handler)).second;
}

bool CommandRouter::Dispatch(int id) const {
  const auto it = handlers_.find(id);
  if (it == handlers_.end()) return false;
  it->second();
  return true;
}

std::vector<int> CommandRouter::Ids() const {
  std::vector<int> out;
  out.reserve(handlers_.size());
  for (const auto& [id, handler] : handlers_) out.push_back(id);
  return out;
}

}  // namespace tarnwick
