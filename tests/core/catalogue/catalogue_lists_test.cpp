// The lists and look-ups selection and detection are built on.
#include <gtest/gtest.h>

#include "catalogue_test_util.h"
#include "core/catalogue/byte_buffer.h"
#include "core/catalogue/catalogue.h"

namespace tarnwick {
namespace {

using test::CrLf;

std::string Chip(const std::string& model, const std::string& mainId = "000000",
                 const std::string& secondId = "000000") {
  return "@" + model + ":256:4K:64KB:N:000:" + mainId + ":" + secondId + ":3.3V:000";
}

TEST(CatalogueLists, OnlyNeighbouringDuplicatesMerge) {
  Catalogue c;
  c.LoadText(CrLf({"$A", "#X|", Chip("a1"), "#Y|", Chip("a2"), "#X|", Chip("a3"), "$B", "#X|",
                   Chip("b1"), "$A", "#Z|", Chip("a4")}));
  std::vector<std::string> out;
  EXPECT_EQ(c.ListTypes(out), 3u);
  EXPECT_EQ(out, (std::vector<std::string>{"A", "B", "A"}));
  out.clear();
  EXPECT_EQ(c.ListMakers("A", out), 4u);
  EXPECT_EQ(out, (std::vector<std::string>{"X", "Y", "X", "Z"}));
  out.clear();
  EXPECT_EQ(c.ListModels("A", "X", out), 2u);
  EXPECT_EQ(out, (std::vector<std::string>{"a1", "a3"}));
  out.clear();
  EXPECT_EQ(c.ListModels("a", "X", out), 0u) << "comparisons keep case";
  out = {"kept"};
  EXPECT_EQ(c.ListModels("B", "X", out), 1u) << "lists are appended to";
  EXPECT_EQ(out, (std::vector<std::string>{"kept", "b1"}));
}

TEST(CatalogueLists, FirstRecordIsComparedWithTheTextOne) {
  Catalogue c;
  c.LoadText(CrLf({"$1", "#1|", Chip("m"), "#2|", Chip("n")}));
  std::vector<std::string> out;
  EXPECT_EQ(c.ListTypes(out), 0u);
  EXPECT_EQ(c.ListMakers("1", out), 1u);
  EXPECT_EQ(out, (std::vector<std::string>{"2"}));
}

TEST(CatalogueLists, FindRecordTakesTheFirstDuplicateOrNone) {
  Catalogue c;
  c.LoadText(CrLf({"$T", "#M|", Chip("A"), Chip("DUP", "111111"), Chip("DUP", "222222")}));
  std::vector<std::string> models;
  c.ListModels("T", "M", models);
  EXPECT_EQ(models, (std::vector<std::string>{"A", "DUP", "DUP"}));
  EXPECT_EQ(c.FindRecord("T", "M", "DUP"), 1);
  EXPECT_EQ(c.FindRecord("T", "M", "dup"), kNoRecord);
  EXPECT_EQ(c.FindRecord("", "", ""), kNoRecord);
  EXPECT_EQ(Catalogue().FindRecord("T", "M", "A"), kNoRecord);
  EXPECT_EQ(c.Record(3), nullptr);
  EXPECT_EQ(c.Record(-1), nullptr);
}

TEST(CatalogueLists, IdsAreMatchedAsSixUpperCaseHexDigits) {
  Catalogue c;
  c.LoadText(CrLf({"$T", "#M|", Chip("a", "00AB12"), Chip("b", "EF4017", "00AB12"),
                   Chip("c", "00ab12"), Chip("d", "00AB12")}));
  EXPECT_EQ(FormatChipId(0xAB12), "00AB12");
  EXPECT_EQ(FormatChipId(0), "000000");
  std::vector<std::uint32_t> found;
  EXPECT_EQ(c.FindByMainId(0xAB12, found), 2u);
  EXPECT_EQ(found, (std::vector<std::uint32_t>{0, 3}));
  found.clear();
  EXPECT_EQ(c.FindBySecondId(0xAB12, found), 1u);
  EXPECT_EQ(found, (std::vector<std::uint32_t>{1}));
  found.clear();
  EXPECT_EQ(c.FindByMainId(0xEF4017, found), 1u);
  found.clear();
  EXPECT_EQ(c.FindByMainId(0x123456, found), 0u);
}

TEST(ByteBuffer, ChecksBoundsAndSaysWhy) {
  std::vector<std::string> said;
  ByteBuffer b([&](const std::string& text, const std::string& caption, BoxIcon icon) {
    EXPECT_EQ(caption, "警告");
    EXPECT_EQ(icon, BoxIcon::Error);
    said.push_back(text);
  });
  const std::string notCreated = "内存尚未创建，请先申请内存！  ";
  const std::string outOfRange = "请求地址超出范围！  ";

  EXPECT_EQ(b.SetAt(0, 1), 0);
  EXPECT_EQ(b.GetAt(0), 0);
  EXPECT_EQ(b.Data(), nullptr);
  EXPECT_EQ(b.Size(), 0u);
  EXPECT_EQ(said, (std::vector<std::string>{notCreated, notCreated, notCreated, notCreated}));
  said.clear();

  EXPECT_EQ(b.Create(4), 1);
  EXPECT_EQ(b.SetAt(3, 0x7E), 1);
  EXPECT_EQ(b.GetAt(3), 0x7E);
  EXPECT_EQ(b.Size(), 4u);
  EXPECT_TRUE(said.empty());
  EXPECT_EQ(b.SetAt(4, 1), 0);
  EXPECT_EQ(b.GetAt(4), 0);
  EXPECT_EQ(said, (std::vector<std::string>{outOfRange, notCreated}));

  b.Free();
  EXPECT_FALSE(b.Created());
  b.Free();
  EXPECT_EQ(b.GetAt(0), 0);
}

}  // namespace
}  // namespace tarnwick
