#include "core/catalogue/catalogue_messages.h"

namespace tarnwick {

CatalogueMessageSink MessageSinkFor(WindowSurface& surface) {
  return [&surface](const std::string& text, const std::string& caption, BoxIcon icon) {
    surface.Ask(text, caption, icon, BoxButtons::Ok);
  };
}

}  // namespace tarnwick
