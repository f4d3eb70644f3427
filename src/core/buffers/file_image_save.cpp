// Save (only the changed bytes go back to the source, each one logged) and
// Save As (a whole copy under a new name).
#include <algorithm>
#include <vector>

#include "core/app/text_ids.h"
#include "core/app/window_services.h"
#include "core/buffers/buffer_constants.h"
#include "core/buffers/file_image.h"
#include "core/buffers/image_copy.h"
#include "core/buffers/image_texts.h"
#include "core/buffers/modification_log.h"
#include "core/buffers/replacing_file.h"
#include "resources/ids.h"

namespace tarnwick::buffers {

namespace {

// Compares the working copy with the source block by block and writes every
// differing byte, and every byte past the source's former end, back into the
// source. Runs of changed bytes go out in one write.
bool WriteBackChanges(const PosixFile& image, PosixFile& source, ModificationBlock& log) {
  const std::int64_t imageLength = image.Length();
  const std::int64_t sourceLength = source.Length();
  if (imageLength < 0 || sourceLength < 0) return false;
  const auto oldEnd = static_cast<std::uint64_t>(sourceLength);
  std::vector<std::uint8_t> img(kSaveBlock), src(kSaveBlock);
  std::string lines;
  for (std::uint64_t o = 0; o < static_cast<std::uint64_t>(imageLength);) {
    const std::int64_t got = image.ReadAt(o, img.data(), kSaveBlock);
    if (got < 0) return false;
    if (got == 0) break;
    const auto n = static_cast<std::size_t>(got);
    std::size_t have = 0;  // source bytes that existed before this save
    if (o < oldEnd) {
      const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(n, oldEnd - o));
      const std::int64_t s = source.ReadAt(o, src.data(), want);
      if (s < 0) return false;
      have = static_cast<std::size_t>(s);
    }
    lines.clear();
    for (std::size_t i = 0; i < n;) {
      if (i < have && img[i] == src[i]) {
        ++i;
        continue;
      }
      std::size_t j = i;
      for (; j < n && !(j < have && img[j] == src[j]); ++j) {
        lines += ChangedByteLine(
            o + j, j < have ? std::optional<std::uint8_t>(src[j]) : std::nullopt, img[j]);
      }
      if (!source.WriteAt(o + i, img.data() + i, j - i)) return false;
      i = j;
    }
    log.Write(lines);
    o += n;
  }
  return true;
}

}  // namespace

void FileImage::SaveFile() {
  if (busy() || !loaded()) return;
  const auto& t = services_.texts();
  std::string oldPath, chipName;
  bool chipDataMode = false;
  {
    std::lock_guard lock(m_);
    oldPath = s_.currentPath;
    chipDataMode = s_.chipData;
    chipName = s_.chipName;
  }
  std::string targetPath = oldPath;
  PosixFile target;
  // A chip read goes into the chosen file only once it is whole there: a
  // failed copy (a full disk) leaves what the file held before.
  ReplacingFile copy;
  if (chipDataMode) {
    if (!chooser_) return;
    const std::optional<std::string> chosen =
        chooser_({std::string(kSaveDefaultExtension), std::string(kChipDataSaveFilter)});
    if (!chosen) return;
    if (IsInternalFile(*chosen)) {
      services_.Box(t.itext(itext::kInternalFile), t.itext(itext::kWarningCaption),
                    BoxIcon::Warning);
      return;
    }
    if (!copy.Open(*chosen)) {
      ReportOpenFailure(false);
      return;
    }
    // The new file becomes the current path through the reload below, once
    // the data is safely in it.
    targetPath = *chosen;
  } else if (!SourceChangedConfirmed(targetPath)) {
    return;
  }
  if (editMode() && commitEdit_) commitEdit_();

  PosixFile image;
  if (!image.Open(workingCopyPath_, PosixFile::Mode::ReadOnly) ||
      (!chipDataMode && !target.Open(targetPath, PosixFile::Mode::ReadWrite))) {
    // A read-only or vanished source must not be reported as saved.
    ReportOpenFailure(false);
    return;
  }

  ModificationBlock log;
  log.Open(services_.LogPath());
  const std::string stamp = LogTimeStamp(services_.Now());
  log.Write(chipDataMode ? ChipSaveHeader(stamp, chipName)
                         : FileSaveHeader(stamp, FileNameOf(targetPath)));
  bool ok = false;
  if (chipDataMode) {
    const std::int64_t len = image.Length();
    ok = len >= 0 && CopyRange(image, 0, static_cast<std::uint64_t>(len), copy.file()) &&
         copy.Commit();
    log.Write(SavedAsLine(chipName, FileNameOf(targetPath)));
  } else {
    ok = WriteBackChanges(image, target, log);
  }
  log.Finish();
  target.Close();
  if (!ok) {
    ReportOpenFailure(false);
    return;
  }

  if (chipDataMode) {
    services_.surface().SetControlText(ids::kFileNameBox, t.itext(itext::kLoadingSavedFile));
    LoadFile(targetPath, LoadOrigin::UserChosen);
  }
  ReopenSourceReadOnly();
  services_.DisableCommand(ids::kSaveFile);
  services_.ShowStatus(t.itext(itext::kFileSaved));
  services_.surface().HexViewChanged();
}

void FileImage::ReopenSourceReadOnly() {
  std::lock_guard lock(m_);
  if (!s_.loaded) return;
  s_.source.Open(s_.currentPath, PosixFile::Mode::ReadOnly);
  // Our own write-back is no change by another program.
  s_.sourceStamp = StampOf(s_.currentPath);
}

// Writing back only our changed bytes would silently undo what another
// program wrote into the source since we loaded it: ask first.
bool FileImage::SourceChangedConfirmed(const std::string& path) {
  FileStamp recorded;
  {
    std::lock_guard lock(m_);
    recorded = s_.sourceStamp;
  }
  if (StampOf(path) == recorded) return true;
  const auto& t = services_.texts();
  return services_.Box(t.itext(itext::kSourceChangedAsk), BoxIcon::Question, BoxButtons::YesNo) ==
         BoxAnswer::Yes;
}

void FileImage::SaveFileAs() {
  if (busy() || !loaded() || !chooser_) return;
  const auto& t = services_.texts();
  const std::optional<std::string> chosen =
      chooser_({std::string(kSaveDefaultExtension), std::string(kSaveAsFilter)});
  if (!chosen) return;
  if (IsInternalFile(*chosen)) {
    services_.Box(t.itext(itext::kInternalFile), t.itext(itext::kWarningCaption), BoxIcon::Warning);
    return;
  }
  if (SameFile(*chosen, currentPath())) {
    SaveFile();
    return;
  }
  // The copy takes the chosen name only once it is whole: a failed copy
  // leaves a file already there as it was.
  ReplacingFile out;
  PosixFile image;
  if (!out.Open(*chosen) || !image.Open(workingCopyPath_, PosixFile::Mode::ReadOnly)) {
    ReportOpenFailure(false);
    return;
  }
  const std::int64_t len = image.Length();
  if (len < 0 || !CopyRange(image, 0, static_cast<std::uint64_t>(len), out.file()) ||
      !out.Commit()) {
    ReportOpenFailure(false);
    return;
  }
  services_.ShowStatus(t.itext(itext::kFileSaved));
  if (isChipData()) {
    services_.surface().SetControlText(ids::kFileNameBox, t.itext(itext::kLoadingSavedFile));
    {
      std::lock_guard lock(m_);
      s_.currentPath = *chosen;
    }
    LoadFile(*chosen, LoadOrigin::UserChosen);
  }
}

}  // namespace tarnwick::buffers
