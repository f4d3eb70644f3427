// Several boxes on one computer: devices lists them, --device chooses one,
// and a run never takes one of several at random.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>

#include "cli_fixture.h"

namespace tarnwick {
namespace {

using test::CliFlow;
using test::CliRun;

class CliDevices : public CliFlow {
 protected:
  void SetUp() override {
    CliFlow::SetUp();
    dir.Write("a.box",
              "[box]\nserial = 0x000101\n[chip]\nmodel = EN25Q64\ncontent = a.bin\n"
              "fill = pattern\n");
    dir.Write("b.box",
              "[box]\nserial = 0x000202\n[chip]\nmodel = W25Q128FV\ncontent = b.bin\n"
              "fill = blank\n");
    two = "--simulate=" + dir.file("a.box") + "," + dir.file("b.box");
  }
  std::string two;
};

TEST_F(CliDevices, DevicesListsEveryBoxWithItsPlaceSerialAndFirmware) {
  CliRun r = Cli({"devices"}, two);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "1:1  serial 000257  firmware V3.3\n2:1  serial 000514  firmware V3.3\n");
  r = Cli({"devices", "--json"}, two);
  const nlohmann::json report = nlohmann::json::parse(r.out);
  ASSERT_EQ(report["devices"].size(), 2u) << r.out;
  EXPECT_EQ(report["devices"][1].value("bus", 0), 2);
  EXPECT_EQ(report["devices"][1].value("serial", ""), "000514");
  dir.Write("gone.box", "[box]\npresent = no\n");
  EXPECT_EQ(Cli({"devices"}, "--simulate=" + dir.file("gone.box")).status, 4);
}

TEST_F(CliDevices, SeveralBoxesWithoutDeviceAreListedAndNoneIsTouched) {
  ASSERT_EQ(Cli({"devices"}, two).status, 0);  // the chips' files exist now
  const std::string a = dir.Read("a.bin"), b = dir.Read("b.bin");
  const CliRun r = Cli({"erase"}, two);
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("2 programmer boxes are connected; choose one with --device"),
            std::string::npos)
      << r.err;
  EXPECT_NE(r.err.find("--device 2:1  serial 000514"), std::string::npos) << r.err;
  EXPECT_TRUE(dir.Read("a.bin") == a && dir.Read("b.bin") == b) << "no chip was erased";
}

TEST_F(CliDevices, TwoBoxesOnOneChipFileAreRefused) {
  dir.Write("c.box", "[box]\nserial = 0x000303\n[chip]\nmodel = EN25Q64\ncontent = a.bin\n");
  for (const std::string& boxes : {dir.file("a.box") + "," + dir.file("a.box"),
                                   dir.file("a.box") + "," + dir.file("c.box")}) {
    const CliRun r = Cli({"devices"}, "--simulate=" + boxes);
    EXPECT_EQ(r.status, 2) << boxes;
    EXPECT_NE(r.err.find("is another box's too"), std::string::npos) << r.err;
  }
}

TEST_F(CliDevices, DeviceChoosesTheBoxByPlaceOrSerial) {
  CliRun r = Cli({"detect", "--device", "2:1"}, two);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("W25Q128"), std::string::npos) << r.out;
  r = Cli({"detect", "--device", "257"}, two);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("EN25Q64"), std::string::npos) << r.out;

  const std::string a = dir.Read("a.bin");
  const std::string image = RandomFile("img.bin", 2048);
  r = Cli({"auto", image, "-y", "--device", "000514", "-c", "w25q128fv"}, two);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(dir.Read("b.bin").substr(0, 2048), dir.Read("img.bin"));
  r = Cli({"verify", image, "--json", "--device", "2:1", "-c", "w25q128fv"}, two);
  EXPECT_EQ(nlohmann::json::parse(r.out).value("device", ""), "2:1") << r.out;
  EXPECT_TRUE(dir.Read("a.bin") == a) << "the other box's chip is untouched";

  r = Cli({"detect", "--device", "9:9"}, two);
  EXPECT_EQ(r.status, 4);
  EXPECT_NE(r.err.find("no programmer box 9:9 is connected"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace tarnwick
