// Message boxes raised while the catalogue loads. The texts are the
// program's own; they reach the user through the window surface (or any
// callback a tool or test supplies), never through a print.
#pragma once

#include <functional>
#include <string>

#include "core/app/window_surface.h"

namespace tarnwick {

using CatalogueMessageSink =
    std::function<void(const std::string& text, const std::string& caption, BoxIcon icon)>;

// A sink that shows each message as a plain box on `surface`.
CatalogueMessageSink MessageSinkFor(WindowSurface& surface);

namespace catalogue_text {
inline constexpr const char* kNotCreated = "内存尚未创建，请先申请内存！  ";
inline constexpr const char* kOutOfRange = "请求地址超出范围！  ";
inline constexpr const char* kBufferCaption = "警告";
}  // namespace catalogue_text

}  // namespace tarnwick
