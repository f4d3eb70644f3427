#include "core/buffers/image_commands.h"

#include "resources/ids.h"

namespace tarnwick::buffers {

void AddImageCommands(CommandRouter& router, FileImage& image, HexView& hexView,
                      WindowSurface& surface) {
  router.Register(ids::kSaveFile, [&image, &surface] {
    image.SaveFile();
    surface.HexViewChanged();
  });
  router.Register(ids::kSaveFileAs, [&image] {
    if (!image.busy()) image.SaveFileAs();
  });
  router.Register(ids::kEditModeCheck, [&hexView] { hexView.ToggleEditMode(); });
  router.Register(ids::kEditModeMenu, [&hexView] { hexView.OnEditModeMenu(); });
}

}  // namespace tarnwick::buffers
