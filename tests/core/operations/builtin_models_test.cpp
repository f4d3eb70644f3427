// Every built-in model of the virtual box against the shipped catalogue: in
// the frame the program builds from the model's record, the chip identifies
// itself, takes an image and gives it back. The models take their modes from
// the chips' datasheets, the records from the catalogue; this test is where
// the two must meet.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "core/device/parameter_build.h"
#include "core/operations/op_support.h"
#include "core/operations/operation_rig.h"
#include "protocol/protocol.h"
#include "sim/chip_models.h"

namespace tarnwick::test {
namespace {

using namespace protocol;

class BuiltInModelsTest : public ChipRigTest {
 protected:
  // The record for `chip`: the same model name (with "(x16)" or "(x8)" for
  // a Microwire part, as the catalogue names its organisations) and size.
  std::int32_t RecordFor(const sim::ChipDescription& chip) {
    const std::string names[] = {chip.model, chip.model + (chip.wordOrganised ? "(x16)" : "(x8)")};
    const auto& records = rig->catalogue.Records();
    for (std::size_t i = 0; i < records.size(); ++i) {
      const ChipRecord& r = records[i];
      if (r.model() != names[0] && r.model() != names[1]) continue;
      CommandFrame frame;
      if (BuildParameters(r, false, frame) == chip.size) return static_cast<std::int32_t>(i);
    }
    return -1;
  }

  // The chip's first `n` bytes as CMD_READ streams them in the program's
  // frame, the stream ended early with CMD_IDLE.
  Bytes ReadStart(std::size_t n) {
    OperationContext& ctx = rig->ctx;
    EXPECT_TRUE(Send(ctx, CMD_READ, 5000));
    Bytes out(n);
    std::size_t got = 0;
    while (got < n) {
      const int r = Read(ctx, out.data() + got,
                         static_cast<int>(std::min<std::size_t>(kReadBlock, n - got)), 5000);
      if (r < 1) break;
      got += static_cast<std::size_t>(r);
    }
    out.resize(got);
    Send(ctx, CMD_IDLE, 1000);
    return out;
  }

  std::uint32_t ReadId() {
    OperationContext& ctx = rig->ctx;
    EXPECT_TRUE(Send(ctx, CMD_READ_ID, 5000));
    std::uint8_t id[3] = {0, 0, 0};
    EXPECT_EQ(Read(ctx, id, 3, 5000), 3);
    Send(ctx, CMD_IDLE, 1000);
    return static_cast<std::uint32_t>(id[0]) << 16 | static_cast<std::uint32_t>(id[1]) << 8 | id[2];
  }

  std::string FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
};

TEST_F(BuiltInModelsTest, EveryModelTakesAndGivesBackAnImageInItsRecordsMode) {
  unsigned seed = 1;
  for (std::string_view name : sim::BuiltInModelNames()) {
    SCOPED_TRACE(std::string(name));
    std::optional<sim::ChipDescription> chip = sim::BuiltInChip(name);
    ASSERT_TRUE(chip);
    chip->contentPath = dir.file(std::string(name) + ".bin");
    chip->fill = sim::ContentFill::Blank;
    rig.reset();
    Boot(BoxWith(*chip));
    // The record is chosen here, as the user would for an EEPROM (whose
    // identification names only its family).
    SetAutoDetect(false);
    const std::int32_t record = RecordFor(*chip);
    ASSERT_GE(record, 0) << "no catalogue record of this name and size";
    ASSERT_TRUE(rig->selection.SelectRecord(record));
    const ChipRecord& r = *rig->catalogue.Record(record);

    // A flash chip gets what the file holds, an EEPROM its whole size.
    const bool eeprom = chip->kind == sim::ChipKind::Eeprom;
    const Bytes image = Pattern(eeprom ? chip->size : 4096, seed++);
    LoadFile(std::string(name) + "-image.bin", image);
    ASSERT_TRUE(Run(Job::Program)) << surface.LastStatus();
    EXPECT_EQ(Chip(0, image.size()), image) << "written in mode " << r.operationType();
    EXPECT_EQ(ReadStart(image.size()), image) << "read in mode " << r.operationType();

    // Identification in the record's mode: the record's ID, or the family.
    const std::uint32_t id = ReadId();
    if (eeprom) {
      EXPECT_EQ(id, sim::EepromFamilyAnswer(chip->accessClass)) << r.operationType();
      // The whole read, as the button does it, and a verify.
      ASSERT_TRUE(Run(Job::Read)) << surface.LastStatus();
      EXPECT_TRUE(FileBytes(rig->image.chipDataPath()) == std::string(image.begin(), image.end()));
      LoadFile(std::string(name) + "-image.bin", image);
      EXPECT_TRUE(Run(Job::Verify)) << surface.LastStatus();
    } else {
      EXPECT_EQ(id, std::strtoul(r.mainId().c_str(), nullptr, 16)) << r.operationType();
    }
    // The large flash models' content files go as soon as they are done with.
    rig.reset();
    std::filesystem::remove(chip->contentPath);
  }
}

}  // namespace
}  // namespace tarnwick::test
