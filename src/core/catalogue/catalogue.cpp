#include "core/catalogue/catalogue.h"

#include "core/app/std_file.h"

#include <cstdio>
#include <filesystem>
#include <memory>

#include "core/catalogue/byte_buffer.h"
#include "core/catalogue/catalogue_codec.h"

namespace tarnwick {
namespace {

// The text the first record's type or maker is compared with.
const std::string kListSeed = "1";

std::size_t FindById(const std::vector<ChipRecord>& records, ChipRecord::Field field,
                     std::uint32_t id, std::vector<std::uint32_t>& out) {
  const std::string text = FormatChipId(id);
  const std::size_t before = out.size();
  for (const ChipRecord& r : records) {
    if (r.fields[field] == text) out.push_back(r.internalNumber);
  }
  return out.size() - before;
}

}  // namespace

std::string FormatChipId(std::uint32_t id) {
  char text[16];
  std::snprintf(text, sizeof text, "%06X", id);
  return text;
}

bool Catalogue::LoadCatalogue(const std::string& path, const CatalogueMessageSink& sink) {
  records_.clear();
  report_ = {};
  // Nothing is ever written; reading is all the loader needs. A directory
  // opens on some systems but is no file to read.
  std::error_code ec;
  StdFile file;
  if (std::filesystem::is_regular_file(path, ec)) file.reset(std::fopen(path.c_str(), "rb"));
  if (!file) {
    // Reported with the texts in use by whoever shows the load's report.
    (std::filesystem::exists(path, ec) && !std::filesystem::is_regular_file(path, ec)
         ? report_.notRegularFile
         : report_.cannotOpen) = true;
    return false;
  }
  if (std::fseek(file.get(), 0, SEEK_END) != 0) return false;
  const long length = std::ftell(file.get());
  if (length < 0) return false;
  if (static_cast<std::uint64_t>(length) > kMaxCatalogueFileBytes) {
    report_.fileTooLarge = true;
    report_.fileBytes = static_cast<std::uint64_t>(length);
    return false;
  }
  std::rewind(file.get());

  ByteBuffer buffer(sink);
  buffer.Create(static_cast<std::uint32_t>(length));
  const std::size_t got = std::fread(buffer.Data(), 1, buffer.Size(), file.get());
  // A file that shrank under us is read as far as it goes.
  std::string_view stored(reinterpret_cast<const char*>(buffer.Data()), got);
  LoadText(DecodeCatalogue(stored));
  report_.fileBytes = got;
  buffer.Free();
  return true;
}

void Catalogue::LoadText(std::string_view text) {
  records_.clear();
  report_ = {};
  ParseCatalogueText(text, records_, report_);
}

const ChipRecord* Catalogue::Record(std::int64_t index) const {
  if (index < 0 || index >= static_cast<std::int64_t>(records_.size())) return nullptr;
  return &records_[static_cast<std::size_t>(index)];
}

std::size_t Catalogue::ListTypes(std::vector<std::string>& out) const {
  const std::size_t before = out.size();
  const std::string* previous = &kListSeed;
  for (const ChipRecord& r : records_) {
    if (r.type() != *previous) out.push_back(r.type());
    previous = &r.type();
  }
  return out.size() - before;
}

std::size_t Catalogue::ListMakers(const std::string& type, std::vector<std::string>& out) const {
  const std::size_t before = out.size();
  const std::string* previous = &kListSeed;
  for (const ChipRecord& r : records_) {
    if (r.type() != type) continue;
    if (r.maker() != *previous) out.push_back(r.maker());
    previous = &r.maker();
  }
  return out.size() - before;
}

std::size_t Catalogue::ListModels(const std::string& type, const std::string& maker,
                                  std::vector<std::string>& out) const {
  const std::size_t before = out.size();
  for (const ChipRecord& r : records_) {
    if (r.type() == type && r.maker() == maker) out.push_back(r.model());
  }
  return out.size() - before;
}

std::int32_t Catalogue::FindRecord(const std::string& type, const std::string& maker,
                                   const std::string& model) const {
  for (const ChipRecord& r : records_) {
    if (r.type() == type && r.maker() == maker && r.model() == model) {
      return static_cast<std::int32_t>(r.internalNumber);
    }
  }
  return kNoRecord;
}

std::size_t Catalogue::FindByMainId(std::uint32_t id, std::vector<std::uint32_t>& out) const {
  return FindById(records_, ChipRecord::kMainId, id, out);
}

std::size_t Catalogue::FindBySecondId(std::uint32_t id, std::vector<std::uint32_t>& out) const {
  return FindById(records_, ChipRecord::kSecondaryId, id, out);
}

}  // namespace tarnwick
