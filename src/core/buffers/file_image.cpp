#include "core/buffers/file_image.h"

#include <algorithm>
#include <vector>

#include "core/app/text_ids.h"
#include "core/app/window_services.h"
#include "core/buffers/buffer_constants.h"
#include "core/buffers/image_copy.h"
#include "core/buffers/image_texts.h"
#include "resources/ids.h"

namespace tarnwick::buffers {

namespace {
constexpr int kCommandsEnabledByLoad[] = {ids::kSaveFileAs, ids::kFind, ids::kGoToAddress,
                                          ids::kEditModeMenu, ids::kDataView};
}  // namespace

FileImage::FileImage(WindowServices& services, std::string baseDir, std::string workDir)
    : services_(services),
      baseDir_(std::move(baseDir)),
      workDir_(workDir.empty() ? baseDir_ : std::move(workDir)),
      chipDataPath_(workDir_ + std::string(kChipDataName)),
      workingCopyPath_(workDir_ + std::string(kWorkingCopyName)),
      tempDir_(workDir_ + std::string(kTempDirName)) {}

FileImage::~FileImage() = default;

void FileImage::ShowInitialState() {
  services_.surface().SetControlText(ids::kFileChecksum, FormatChecksum(0));
  services_.surface().SetControlText(ids::kChipChecksum, FormatChecksum(0));
}

bool FileImage::IsInternalFile(const std::string& path) const {
  return SameFile(path, workingCopyPath_) || SameFile(path, chipDataPath_);
}

void FileImage::ReportOpenFailure(bool chipData) {
  const auto& t = services_.texts();
  const std::string& text = t.itext(chipData ? itext::kReadFailed : itext::kCannotOpenFile);
  services_.ShowStatus(text, true);
  services_.Box(text, t.itext(itext::kError), BoxIcon::Error);
}

LoadResult FileImage::LoadFile(const std::string& path, LoadOrigin origin) {
  const auto& t = services_.texts();
  {
    std::lock_guard lock(m_);
    s_.lastRequest = path;
  }
  const bool chipData = SameFile(path, chipDataPath_);
  const bool workingCopy = SameFile(path, workingCopyPath_);
  // The working copy can never be its own source, whoever asks; the
  // chip-data file is loaded only by the program itself.
  if (workingCopy || (chipData && origin != LoadOrigin::Program)) {
    services_.Box(t.itext(itext::kInternalFile), t.itext(itext::kWarningCaption), BoxIcon::Warning);
    return LoadResult::Refused;
  }
  // A file the user chose while a job runs (the browse dialog may have been
  // open since before) would replace the image the job streams, or be
  // replaced by a read's data when it ends.
  if (origin != LoadOrigin::Program && busy()) {
    services_.Box(t.itext(itext::kNoLoadWhileBusy), BoxIcon::Information);
    return LoadResult::Refused;
  }
  if (IsCapFile(path)) return LoadResult::OffsetProgramming;

  const std::string display = ShortenPath(path);
  // Open the source before touching the current image: a file that cannot
  // be read must leave the loaded image as it is.
  PosixFile source;
  const FileStamp stamp = StampOf(path);
  const std::int64_t length = source.Open(path, PosixFile::Mode::ReadOnly) ? source.Length() : -1;
  if (length < 0) {
    ReportOpenFailure(chipData);
    return LoadResult::Failed;
  }

  {
    std::lock_guard lock(m_);
    s_.workingCopy.Close();
    s_.source.Close();
    s_.loaded = false;
    s_.size = 0;
    s_.fileSum = 0;
    RecomputeRowsLocked();
  }
  ++loadGeneration_;
  ++layoutGeneration_;

  // The long copy runs without the lock; page reads meanwhile see no image.
  PosixFile copy;
  std::uint64_t sum = 0;
  bool ok = copy.Open(workingCopyPath_, PosixFile::Mode::CreateReadWrite);
  if (ok && length > 0) ok = CopyWithSum(source, copy, static_cast<std::uint64_t>(length), &sum);
  copy.Close();
  ok = ok && copy.Open(workingCopyPath_, PosixFile::Mode::ReadWrite);
  const std::int64_t size = ok ? copy.Length() : -1;
  if (size < 0) {
    ReportOpenFailure(chipData);
    services_.surface().HexViewChanged();
    return LoadResult::Failed;
  }

  {
    std::lock_guard lock(m_);
    s_.workingCopy = std::move(copy);
    s_.source = std::move(source);
    s_.sourceStamp = stamp;
    s_.loaded = true;
    s_.chipData = chipData;
    s_.size = static_cast<std::uint64_t>(size);
    s_.fileSum = sum;
    s_.currentPath = path;
    s_.displayPath = display;
    s_.fileName = FileNameOf(path);
    s_.sizeText = SizeText(s_.size);
    if (chipData) s_.titleChipName = s_.chipName;
    RecomputeRowsLocked();
  }
  ShowImageTexts();
  UpdateChipChecksum();
  if (chipData) {
    services_.ShowStatus(t.itext(itext::kReadComplete));
    services_.surface().SetControlText(ids::kFileNameBox, t.itext(itext::kChipDataName));
  } else {
    services_.ShowStatus(t.itext(itext::kFileLoaded));
    services_.surface().SetControlText(ids::kFileNameBox, display);
  }
  ApplyLoadedMenuState(chipData);
  ++loadGeneration_;
  ++layoutGeneration_;
  services_.surface().HexViewChanged();
  return LoadResult::Loaded;
}

LoadResult FileImage::OnFileDropped(const std::string& path) {
  // A read leaves the browse button enabled, yet a file loaded under it
  // would be replaced by the chip data when the read ends: any running job
  // refuses the drop.
  if (busy() || !services_.surface().IsCommandEnabled(ids::kBrowseButton)) {
    services_.Box(services_.texts().itext(itext::kNoLoadWhileBusy), BoxIcon::Information);
    return LoadResult::Refused;
  }
  return LoadFile(path, LoadOrigin::Dropped);
}

void FileImage::ApplyLoadedMenuState(bool chipData) {
  for (int id : kCommandsEnabledByLoad) services_.EnableCommand(id);
  services_.surface().SetCommandEnabled(ids::kFileFill, editMode());
  services_.surface().SetCommandEnabled(ids::kSaveFile, chipData);
}

void FileImage::ShowImageTexts() {
  std::string title(kProgramTitle);
  std::uint64_t sum = 0;
  {
    std::lock_guard lock(m_);
    sum = s_.fileSum;
    if (s_.chipData) {
      title += " - " + s_.titleChipName + "_" + s_.sizeText;
    } else {
      title += " - " + s_.fileName + "  " + s_.sizeText;
    }
  }
  services_.surface().SetControlText(ids::kFileChecksum, FormatChecksum(sum));
  services_.surface().SetControlText(ids::kWindowTitle, title);
}

void FileImage::RecomputeRowsLocked() {
  s_.chipRows = s_.capacity / 16;
  s_.fileRows = (s_.size + 15) / 16;
  s_.totalRows = std::max(s_.fileRows, s_.chipRows);
}

void FileImage::UpdateRowCounts() {
  {
    std::lock_guard lock(m_);
    RecomputeRowsLocked();
  }
  ++layoutGeneration_;
}

void FileImage::SetChip(const std::string& chipName, std::uint64_t capacity) {
  {
    std::lock_guard lock(m_);
    s_.chipName = chipName;
    s_.capacity = capacity;
  }
  UpdateRowCounts();
  UpdateChipChecksum();
  // Row counts and the past-chip-end colours depend on the chip.
  services_.surface().HexViewChanged();
}

void FileImage::UpdateChipChecksum() {
  std::uint64_t size = 0, capacity = 0, sum = 0;
  bool loaded = false;
  {
    std::lock_guard lock(m_);
    size = s_.size;
    capacity = s_.capacity;
    sum = s_.fileSum;
    loaded = s_.loaded;
  }
  std::uint64_t chip = sum;
  if (size < capacity) {
    chip = ChipSumForSmallerImage(sum, size, capacity);
  } else if (size > capacity) {
    // Only the first `capacity` bytes reach the chip; a reader of our own
    // keeps the lock free during the pass.
    chip = 0;
    PosixFile reader;
    if (loaded && reader.Open(workingCopyPath_, PosixFile::Mode::ReadOnly)) {
      SumPrefix(reader, capacity, &chip);
    }
  }
  {
    std::lock_guard lock(m_);
    s_.chipSum = chip;
  }
  services_.surface().SetControlText(ids::kChipChecksum, FormatChecksum(chip));
}

void FileImage::Close() {
  std::lock_guard lock(m_);
  s_.workingCopy.Close();
  s_.source.Close();
  s_.loaded = false;
}

bool FileImage::ReadPage(std::uint64_t offset, std::uint8_t* image, std::uint8_t* source,
                         std::size_t n, std::uint64_t* sourceLength) const {
  std::lock_guard lock(m_);
  if (!s_.loaded) return false;
  s_.workingCopy.ReadAt(offset, image, n);
  s_.source.ReadAt(offset, source, n);
  const std::int64_t len = s_.source.Length();
  *sourceLength = len < 0 ? 0 : static_cast<std::uint64_t>(len);
  return true;
}

bool FileImage::WriteByte(std::uint64_t offset, std::uint8_t value) {
  return FillRange(offset, 1, value);
}

bool FileImage::FillRange(std::uint64_t offset, std::uint64_t length, std::uint8_t value) {
  bool ok = true;
  {
    std::lock_guard lock(m_);
    if (!s_.loaded) return false;
    if (offset > s_.size) {
      // Writing past the end: the gap reads as erased flash.
      const std::vector<std::uint8_t> ff(kSaveAsBlock, 0xFF);
      for (std::uint64_t o = s_.size; ok && o < offset;) {
        const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(ff.size(), offset - o));
        ok = s_.workingCopy.WriteAt(o, ff.data(), n);
        if (ok) {
          s_.fileSum += 255u * n;
          o += n;
          s_.size = o;
        }
      }
    }
    const std::vector<std::uint8_t> block(
        static_cast<std::size_t>(std::min<std::uint64_t>(length, kLoadBlock)), value);
    std::vector<std::uint8_t> old(block.size());
    for (std::uint64_t o = offset; ok && o < offset + length;) {
      const auto n =
          static_cast<std::size_t>(std::min<std::uint64_t>(block.size(), offset + length - o));
      // The bytes written over leave the sum; the sum never needs a pass
      // over the whole image.
      const auto kept =
          static_cast<std::size_t>(o < s_.size ? std::min<std::uint64_t>(n, s_.size - o) : 0);
      if (kept > 0) {
        ok = s_.workingCopy.ReadAt(o, old.data(), kept) == static_cast<std::int64_t>(kept);
        for (std::size_t i = 0; ok && i < kept; ++i) s_.fileSum -= old[i];
      }
      ok = ok && s_.workingCopy.WriteAt(o, block.data(), n);
      if (ok) {
        s_.fileSum += static_cast<std::uint64_t>(value) * n;
        o += n;
        s_.size = std::max(s_.size, o);
      }
    }
    const std::int64_t len = s_.workingCopy.Length();
    if (len >= 0) s_.size = static_cast<std::uint64_t>(len);
    s_.sizeText = SizeText(s_.size);
    RecomputeRowsLocked();
  }
  ++layoutGeneration_;
  ShowImageTexts();
  UpdateChipChecksum();
  return ok;
}

ImageReader FileImage::OpenReader() const {
  ImageReader reader;
  if (loaded()) reader.Open(workingCopyPath_);
  return reader;
}

// ---- State accessors ----

bool FileImage::loaded() const {
  std::lock_guard lock(m_);
  return s_.loaded;
}
std::uint64_t FileImage::size() const {
  std::lock_guard lock(m_);
  return s_.size;
}
std::uint64_t FileImage::fileSum() const {
  std::lock_guard lock(m_);
  return s_.fileSum;
}
std::uint64_t FileImage::chipSum() const {
  std::lock_guard lock(m_);
  return s_.chipSum;
}
std::uint64_t FileImage::chipCapacity() const {
  std::lock_guard lock(m_);
  return s_.capacity;
}
std::uint64_t FileImage::fileRows() const {
  std::lock_guard lock(m_);
  return s_.fileRows;
}
std::uint64_t FileImage::chipRows() const {
  std::lock_guard lock(m_);
  return s_.chipRows;
}
std::uint64_t FileImage::totalRows() const {
  std::lock_guard lock(m_);
  return s_.totalRows;
}
std::string FileImage::currentPath() const {
  std::lock_guard lock(m_);
  return s_.currentPath;
}
std::string FileImage::displayPath() const {
  std::lock_guard lock(m_);
  return s_.displayPath;
}
std::string FileImage::fileName() const {
  std::lock_guard lock(m_);
  return s_.fileName;
}
std::string FileImage::sizeText() const {
  std::lock_guard lock(m_);
  return s_.sizeText;
}
std::string FileImage::lastLoadRequest() const {
  std::lock_guard lock(m_);
  return s_.lastRequest;
}
bool FileImage::isChipData() const {
  std::lock_guard lock(m_);
  return s_.chipData;
}

}  // namespace tarnwick::buffers
