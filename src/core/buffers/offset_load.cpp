#include "core/buffers/offset_load.h"

#include <cstdio>
#include <filesystem>

#include "core/app/text_ids.h"
#include "core/app/window_services.h"
#include "core/buffers/buffer_constants.h"
#include "core/buffers/file_image.h"
#include "core/buffers/image_copy.h"
#include "core/buffers/image_texts.h"
#include "core/buffers/posix_file.h"

namespace tarnwick::buffers {

namespace fs = std::filesystem;

std::optional<std::uint64_t> FixedOffsetStart(const std::string& path) {
  if (IsCapFile(path)) return kCapHeaderSize;
  return std::nullopt;
}

OffsetLoadResult OffsetLoad(FileImage& image, WindowServices& services,
                            const std::string& sourcePath, std::uint64_t startAddress,
                            const std::function<void(const std::string&)>& onState) {
  const auto& t = services.texts();
  // A running job may stream the image (program, verify, batch) or replace
  // it when it ends (read): the dialog may have been open since before.
  if (image.busy()) {
    services.Box(t.itext(itext::kNoLoadWhileBusy), BoxIcon::Information);
    return OffsetLoadResult::KeepDialog;
  }
  const std::string caption = t.itext(itext::kError);
  if (auto fixed = FixedOffsetStart(sourcePath)) startAddress = *fixed;

  const fs::path dir = image.tempDir();
  std::error_code ec;
  if (!fs::exists(dir, ec)) fs::create_directory(dir, ec);
  const std::string workPath = (dir / kOffsetWorkFileName).string();
  const std::string partPath = (dir / kOffsetPartFileName).string();

  // Copy into a side file first: the work file may be the loaded image's
  // source, or even the file the user named here, and must survive a
  // failed or empty copy.
  PosixFile work;
  if (!work.Open(partPath, PosixFile::Mode::CreateReadWrite)) {
    services.Box(t.itext(itext::kWorkFileFailed), caption, BoxIcon::Error);
    return OffsetLoadResult::KeepDialog;
  }
  PosixFile source;
  const std::int64_t length =
      source.Open(sourcePath, PosixFile::Mode::ReadOnly) ? source.Length() : -1;
  if (length < 0) {
    work.Close();
    std::remove(partPath.c_str());
    services.Box(t.itext(itext::kCannotOpenFile), caption, BoxIcon::Error);
    return OffsetLoadResult::KeepDialog;
  }
  bool copied = false;
  if (startAddress < static_cast<std::uint64_t>(length)) {
    if (onState) onState(t.itext(itext::kOffsetCopying));
    copied = CopyRange(source, startAddress, static_cast<std::uint64_t>(length), work);
    if (!copied) services.Box(t.itext(itext::kWorkFileFailed), caption, BoxIcon::Error);
  } else {
    services.Box(t.itext(itext::kOffsetBeyondFile), caption, BoxIcon::Error);
  }
  source.Close();
  const bool nonEmpty = copied && work.Length() > 0;
  work.Close();
  if (!nonEmpty || std::rename(partPath.c_str(), workPath.c_str()) != 0) {
    std::remove(partPath.c_str());
    return OffsetLoadResult::KeepDialog;
  }
  return image.LoadFile(workPath, LoadOrigin::Program) == LoadResult::Loaded
             ? OffsetLoadResult::Loaded
             : OffsetLoadResult::KeepDialog;
}

void CleanUpOffsetFiles(const std::string& tempDir) {
  std::error_code ec;
  const fs::path dir = tempDir;
  fs::remove(dir / kOffsetWorkFileName, ec);
  fs::remove(dir / kOffsetPartFileName, ec);
  // remove() leaves a directory that still holds something.
  if (fs::is_directory(dir, ec)) fs::remove(dir, ec);
}

}  // namespace tarnwick::buffers
