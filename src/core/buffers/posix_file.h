// A file descriptor owned by one object, with the 64-bit positioned reads and
// writes the image code needs. Every call retries on EINTR and reports
// failure as a result; nothing throws.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace tarnwick::buffers {

class PosixFile {
 public:
  enum class Mode {
    ReadOnly,         // existing file
    ReadWrite,        // existing file, not truncated
    CreateReadWrite,  // created or truncated
    CreateWriteOnly,  // created or truncated
    CreateNew,        // created read/write; fails when the name exists
  };

  PosixFile() = default;
  ~PosixFile();
  PosixFile(PosixFile&& other) noexcept;
  PosixFile& operator=(PosixFile&& other) noexcept;
  PosixFile(const PosixFile&) = delete;
  PosixFile& operator=(const PosixFile&) = delete;

  bool Open(const std::string& path, Mode mode);
  void Close();
  // Hands the descriptor over; the object is closed afterwards.
  int Release();
  bool isOpen() const { return fd_ >= 0; }

  // Length in bytes, or -1 when closed or unknown.
  std::int64_t Length() const;
  // Reads up to n bytes at offset; fewer only at the end of the file.
  // Returns the count, or -1 on error.
  std::int64_t ReadAt(std::uint64_t offset, void* buffer, std::size_t n) const;
  // Writes all n bytes at offset; false on any error (including a full disk).
  bool WriteAt(std::uint64_t offset, const void* buffer, std::size_t n);
  bool Truncate(std::uint64_t length);
  // Makes this file a copy of the whole of `from` by sharing its blocks (a
  // reflink). False where the file system cannot: nothing was changed then.
  bool CloneFrom(const PosixFile& from);
  // Copies up to n bytes of `from` at `fromOffset` to this file at
  // `toOffset` inside the kernel (copy_file_range): no byte passes through
  // our memory. Returns the count copied (0 at the source's end), -1 on a
  // read or write error (a full disk), or kKernelCopyUnsupported where the
  // kernel cannot copy between these two files; nothing was written then.
  std::int64_t CopyInKernel(const PosixFile& from, std::uint64_t fromOffset, std::uint64_t toOffset,
                            std::size_t n);
  static constexpr std::int64_t kKernelCopyUnsupported = -2;
  // Sets the permission bits (as chmod takes them).
  bool SetPermissions(unsigned mode);
  // Waits until the data is on the disk: some file systems report a full
  // disk only here.
  bool Sync();
  // The start of the next stretch holding data at or after `from`, and the
  // end of that stretch. Falls back to [from, length) where holes are not
  // reported. False when only holes follow.
  bool NextDataRange(std::uint64_t from, std::uint64_t length, std::uint64_t* begin,
                     std::uint64_t* end) const;

 private:
  int fd_ = -1;
};

// True when both names lead to the same file: by device and inode when both
// exist, otherwise by their normalised absolute paths.
bool SameFile(const std::string& a, const std::string& b);
bool FileExists(const std::string& path);
// True when the name is taken by something other than a plain file (a
// directory, a FIFO, a device), which no file of ours may be written to.
bool TakenByNonFile(const std::string& path);
// The name opened for writing from its start as the C library's "w+b" would,
// except that a FIFO, a directory or a device in its place is refused
// (nullptr) instead of blocking or failing half-way.
std::FILE* OpenPlainFileForWriting(const std::string& path);

// What tells whether another program rewrote a file: its length and its
// modification time in nanoseconds.
struct FileStamp {
  std::int64_t size = -1;
  std::int64_t modifiedNs = 0;
  bool operator==(const FileStamp&) const = default;
};
// The file's stamp now; size -1 when it cannot be read.
FileStamp StampOf(const std::string& path);

}  // namespace tarnwick::buffers
