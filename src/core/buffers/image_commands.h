// The file image's own commands: save, save as, and the two edit-mode
// controls of the hex view.
#pragma once

#include "core/app/command_router.h"
#include "core/app/window_surface.h"
#include "core/buffers/file_image.h"
#include "core/buffers/hex_view.h"

namespace tarnwick::buffers {

void AddImageCommands(CommandRouter& router, FileImage& image, HexView& hexView,
                      WindowSurface& surface);

}  // namespace tarnwick::buffers
