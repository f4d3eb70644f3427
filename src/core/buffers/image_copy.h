// Streaming loops over image files: copy with the 64-bit byte sum, plain
// range copies and sums. Holes of sparse files are skipped (they read as
// zeros and add nothing to a sum), so large sparse images load quickly.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include "core/buffers/posix_file.h"

namespace tarnwick::buffers {

// Sum of n bytes, each taken unsigned.
std::uint64_t ByteSum(const std::uint8_t* data, std::size_t n);

// Copies `length` bytes of `from` at `fromOffset` to `to` at `toOffset`:
// inside the kernel where the two files allow it (no byte passes through our
// memory), otherwise in kCopyBlock pieces through a buffer. With `sum`, every
// byte copied is added to *sum. `progress` (optional) gets the bytes copied
// so far after each piece. Returns the count copied, fewer than `length`
// only when the source ended first, or -1 on a read or write error (a full
// disk among them). Every whole-file copy of the program goes through here.
std::int64_t CopyBytes(const PosixFile& from, std::uint64_t fromOffset, PosixFile& to,
                       std::uint64_t toOffset, std::uint64_t length, std::uint64_t* sum = nullptr,
                       const std::function<void(std::uint64_t)>& progress = {});

// Copies the first `length` bytes of `from` into `to` (offset 0 on both),
// adding every byte to *sum: a reflink where the file system has one,
// otherwise CopyBytes over the stretches holding data (holes stay holes).
// `to` ends up exactly `length` bytes long. False on any read or write error.
bool CopyWithSum(const PosixFile& from, PosixFile& to, std::uint64_t length, std::uint64_t* sum);

// Copies [begin, end) of `from` to offset 0 of `to` with CopyBytes; a source
// that ends early ends the copy there. False on a read or write error.
bool CopyRange(const PosixFile& from, std::uint64_t begin, std::uint64_t end, PosixFile& to,
               const std::function<void(std::uint64_t)>& progress = {});

// Sum of the first `length` bytes of `f` read in kCopyBlock pieces.
bool SumPrefix(const PosixFile& f, std::uint64_t length, std::uint64_t* sum);

}  // namespace tarnwick::buffers
