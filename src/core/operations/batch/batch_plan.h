// What a batch programs on each chip, decided without a box: the four modes,
// the checks before a start, the temporary data files of the serial-number
// and sub-file modes, and how the plan moves on after a finished chip.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tarnwick::batch {

enum class Mode : int {
  Repeat = 0,  // the master file on every chip
  List = 1,    // the files of the list, one per chip
  Serial = 2,  // the master with the count written as ID at the fill address
  Append = 3,  // the master padded to the fill address, then the next list file
};
inline constexpr int kModeCount = 4;

enum class ByteOrder : int { Little = 0, Big = 1 };

// What a batch step reports back.
inline constexpr int kResultDone = 0;
inline constexpr int kResultNoFile = 1;
inline constexpr int kResultRefused = 16;
inline constexpr int kResultStepFailed = 32;
inline constexpr int kResultNewChip = 64;
// The wait for the next chip ended without one: it timed out, or the box
// left, stopped answering or refused (never a chip's result).
inline constexpr int kResultWaitEnded = 128;

// How a step request gets its data.
enum class StepLoad : int {
  UseLoaded = 2,  // the image already loaded (repeats of mode Repeat)
  LoadFile = 3,   // load the current file first
};

struct Fields {
  Mode mode = Mode::Repeat;
  std::string masterFile;
  std::uint32_t fillAddress = 0;
  std::uint32_t startId = 0;
  std::uint32_t increment = 1;
  std::uint32_t count = 0;  // chips done, or the next ID in mode Serial
  int idLength = 4;         // 1, 2 or 4 bytes
  ByteOrder byteOrder = ByteOrder::Little;
  std::vector<std::string> files;  // the list, in its order
  int selected = -1;               // the first selected list entry; -1: none
  bool autoStart = true;
};

// What a failed start check points at. The last two are the serial
// number's: an ID that does not fit the ID length (or the 32-bit count), and
// an ID the production record already has as programmed from this master.
enum class Field {
  None,
  MasterFile,
  FileList,
  Increment,
  IdTooLarge,
  IdRecorded,
  EmptyImage,   // a master or list file holds nothing to program
  FillAddress,  // the ID or the appended file would lie beyond the chip
};

// Which controls a mode enables (the count box is always enabled).
struct Enabling {
  bool fileList;  // the list and its six buttons
  bool fillAddress;
  bool idFields;    // start ID, ID length, increment, byte order
  bool masterFile;  // the master box and its button
};
Enabling EnablingFor(Mode mode);

const char* ModeName(Mode mode);  // "repeat", "list", "serial", "append"

// The first "<base>-<n>.tmp~" (n = 0, 1, ...) that does not exist.
std::string UniqueName(const std::string& base);
// Copies `source` to a new `destination`, then pads it with 0xFF up to
// `sizeNeeded` bytes. False when either file cannot be opened or written.
bool CopyPadded(const std::string& destination, const std::string& source,
                std::uint64_t sizeNeeded);
// The low `length` bytes of `id` in the given order.
std::vector<std::uint8_t> IdBytes(std::uint32_t id, int length, ByteOrder order);
// The largest ID `length` bytes hold (255, 65535, 4294967295).
std::uint32_t MaxId(int length);
// The IDs first, first + increment, ... (`chips` of them) all fit in
// `length` bytes, the 32-bit count not wrapping on the way.
bool SeriesFits(std::uint32_t first, std::uint32_t increment, std::uint64_t chips, int length);
// Writes IdBytes at `address` of an existing file.
bool WriteId(const std::string& file, std::uint32_t address, std::uint32_t id, int length,
             ByteOrder order);

// The course of one batch. Owned by one thread (the batch feature's).
class Plan {
 public:
  // Checks the fields for their mode; Field::None when a start may go on.
  // Mode Serial also takes the start ID as count when the count is below it,
  // and refuses a first ID that does not fit the ID length.
  static Field CheckFields(Fields& fields);
  // Whether the chip of `chipSize` bytes holds what the first chip gets:
  // checked before any temporary copy is padded up to the fill address.
  static Field CheckAgainstChip(const Fields& fields, std::uint64_t chipSize);

  // Takes checked fields and builds the first chip's data. False when a
  // temporary file could not be made (the batch stays idle).
  bool Start(Fields fields);
  // After a finished chip: counts it and moves to the next chip's data.
  // False when the list has ended or, in mode Serial, the next ID would not
  // fit (idsUsedUp(); the count keeps the last ID): the batch stops.
  bool Advance();
  bool idsUsedUp() const { return idsUsedUp_; }

  const Fields& fields() const { return fields_; }
  // The count box edited while the batch runs.
  void SetCount(std::uint32_t count) { fields_.count = count; }
  void SetAutoStart(bool on) { fields_.autoStart = on; }
  const std::string& currentFile() const { return currentFile_; }
  // The name the production record gives the current chip's data: the
  // master in mode Serial, the appended list file in mode Append (never a
  // temporary copy, which is gone once the batch ends).
  const std::string& recordName() const;
  // Removes the temporary copies made beside the master; the batch has ended.
  void RemoveTemporaries();
  // The ID the current file carries (mode Serial).
  std::uint32_t currentId() const { return currentId_; }
  // The request after a new chip: mode Repeat keeps the loaded image.
  StepLoad NextChipLoad() const;

 private:
  // Makes the data of list entry `entry` (modes List and Append).
  bool SelectEntry(int entry);

  Fields fields_;
  std::string currentFile_;
  std::string currentEntry_;              // the list file of the current chip
  std::vector<std::string> temporaries_;  // copies beside the master
  std::uint32_t currentId_ = 0;
  bool idsUsedUp_ = false;
};

}  // namespace tarnwick::batch
