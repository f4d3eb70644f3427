// The file image: the working copy "h_ven1.dll" beside the source file it was
// loaded from. The image is never held in memory; every loop streams it in
// fixed blocks, and offsets and sizes are 64-bit (images over 4 GiB exist).
//
// Threads: loads may run on the worker (chip read, batch step) while the GUI
// thread reads the state and the hex page. The state and the two open files
// sit behind one mutex that is never held during a long copy; busy and edit
// mode are atomics.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>

#include "core/buffers/image_reader.h"
#include "core/buffers/posix_file.h"

namespace tarnwick {
class WindowServices;
}

namespace tarnwick::buffers {

// Who asked for a load. User-chosen loads and drops may not name an internal
// file; loads by the program itself (chip read, batch, offset programming)
// may name the chip-data file.
enum class LoadOrigin { UserChosen, Dropped, Program };

enum class LoadResult {
  Loaded,
  Refused,            // internal file, or a drop while an operation runs
  OffsetProgramming,  // a "CAP" file: the front end opens the offset dialog with the path
  Failed,             // reported to the user; see loaded() for the state left
};

// A save dialog the front end shows; the answer is the chosen path or none.
struct SaveDialogRequest {
  std::string defaultExtension;
  std::string filter;
};
using SaveNameChooser = std::function<std::optional<std::string>(const SaveDialogRequest&)>;

class FileImage {
 public:
  // `baseDir` ends with '/'. The work files (working copy, chip data, temp/)
  // live in `workDir` (with its '/'; empty: the base directory), so that two
  // runs on one base directory each stream their own image.
  FileImage(WindowServices& services, std::string baseDir, std::string workDir = {});
  ~FileImage();
  FileImage(const FileImage&) = delete;
  FileImage& operator=(const FileImage&) = delete;

  const std::string& baseDir() const { return baseDir_; }
  const std::string& workDir() const { return workDir_; }
  const std::string& chipDataPath() const { return chipDataPath_; }
  const std::string& workingCopyPath() const { return workingCopyPath_; }
  const std::string& tempDir() const { return tempDir_; }

  // Both checksum fields show "0000000000" before the first load.
  void ShowInitialState();

  LoadResult LoadFile(const std::string& path, LoadOrigin origin);
  // A file dropped on the window: refused while the browse button is
  // disabled (an operation runs).
  LoadResult OnFileDropped(const std::string& path);
  // True for the working copy and the chip-data file, by resolved path.
  bool IsInternalFile(const std::string& path) const;

  void SetSaveNameChooser(SaveNameChooser chooser) { chooser_ = std::move(chooser); }
  // Save commits an open in-place edit first; the hex view installs this.
  void SetPendingEditCommitter(std::function<void()> commit) { commitEdit_ = std::move(commit); }
  void SaveFile();
  void SaveFileAs();

  // The selected chip changed (capacity 0: none selected).
  void SetChip(const std::string& chipName, std::uint64_t capacity);
  void UpdateChipChecksum();
  void UpdateRowCounts();

  // Closes the files at window close.
  void Close();

  // ---- State (safe from any thread) ----
  bool loaded() const;
  std::uint64_t size() const;
  std::uint64_t fileSum() const;
  std::uint64_t chipSum() const;
  std::uint64_t chipCapacity() const;
  std::uint64_t fileRows() const;
  std::uint64_t chipRows() const;
  std::uint64_t totalRows() const;
  std::string currentPath() const;
  std::string displayPath() const;
  std::string fileName() const;
  std::string sizeText() const;
  std::string lastLoadRequest() const;
  bool isChipData() const;

  bool busy() const { return busy_.load(); }
  void SetBusy(bool busy) { busy_.store(busy); }
  bool editMode() const { return editMode_.load(); }
  void SetEditMode(bool on) { editMode_.store(on); }

  // Raised by every load attempt that replaced the image, so the hex view
  // resets its page on its own thread; and by changes of the row counts.
  std::uint64_t loadGeneration() const { return loadGeneration_.load(); }
  std::uint64_t layoutGeneration() const { return layoutGeneration_.load(); }

  // A reader over the working copy for programming and verifying.
  ImageReader OpenReader() const;

  // ---- Page access and editing for the hex view ----
  // Reads up to n bytes of the working copy and of the source at `offset`;
  // bytes past either end are left as they are in the buffers. False when no
  // image is loaded.
  bool ReadPage(std::uint64_t offset, std::uint8_t* image, std::uint8_t* source, std::size_t n,
                std::uint64_t* sourceLength) const;
  // Writes one byte; an offset past the end first fills the gap with 0xFF.
  // Updates the sums, the size, the checksum fields and the title.
  bool WriteByte(std::uint64_t offset, std::uint8_t value);
  // Writes `length` bytes of `value` from `offset` in 8192-byte blocks, the
  // same way (a gap before it reads 0xFF). Length 0 writes only the gap.
  bool FillRange(std::uint64_t offset, std::uint64_t length, std::uint8_t value);

 private:
  struct State {
    PosixFile workingCopy;
    PosixFile source;
    bool loaded = false;
    bool chipData = false;
    std::uint64_t size = 0;
    std::uint64_t fileSum = 0;
    std::uint64_t chipSum = 0;
    std::uint64_t capacity = 0;
    std::uint64_t fileRows = 0;
    std::uint64_t chipRows = 0;
    std::uint64_t totalRows = 0;
    std::string currentPath;
    std::string displayPath;
    std::string fileName;
    std::string sizeText;
    std::string chipName;
    std::string titleChipName;  // chip name at the time chip data was loaded
    std::string lastRequest;
    // The source as it was when loaded or last saved: Save asks before it
    // writes over what another program changed since.
    FileStamp sourceStamp;
  };

  void ReportOpenFailure(bool chipData);
  void ShowImageTexts();
  void ApplyLoadedMenuState(bool chipData);
  void RecomputeRowsLocked();
  bool SaveChanges(bool chipDataMode, const std::string& oldPath, PosixFile* target);
  void ReopenSourceReadOnly();
  bool SourceChangedConfirmed(const std::string& path);

  WindowServices& services_;
  const std::string baseDir_;
  const std::string workDir_;
  const std::string chipDataPath_;
  const std::string workingCopyPath_;
  const std::string tempDir_;

  mutable std::mutex m_;
  State s_;
  std::atomic<bool> busy_{false};
  std::atomic<bool> editMode_{false};
  std::atomic<std::uint64_t> loadGeneration_{0};
  std::atomic<std::uint64_t> layoutGeneration_{0};
  SaveNameChooser chooser_;
  std::function<void()> commitEdit_;
};

}  // namespace tarnwick::buffers
