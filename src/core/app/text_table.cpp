#include "core/app/text_table.h"

#include "core/app/ini_text_reader.h"

namespace tarnwick {
namespace {

const std::string kNoText;

// Fills `entries` from section `name`: at most entries.size() non-empty lines
// after the header are looked at; each stores its value under its number.
bool LoadSection(const std::string& path, const std::string& name,
                 std::vector<std::string>& entries,
                 const std::function<void(const std::string&)>& onReadError) {
  IniTextReader reader;
  if (!reader.Load(path, onReadError)) return false;
  if (!reader.FindSection(name)) return false;
  const int count = static_cast<int>(entries.size());
  for (int i = 0; i < count; ++i) {
    if (!reader.NextEntry()) return false;
    int number = 0;
    if (reader.EntryNumber(number) && number < count) entries[number] = reader.EntryValue();
  }
  return true;
}

const std::string& Entry(const std::vector<std::string>& entries, int n) {
  if (n < 0 || n >= static_cast<int>(entries.size())) return kNoText;
  return entries[n];
}

}  // namespace

TextTable::TextTable()
    : ftext_(kFtextCount, kFtextPlaceholder), itext_(kItextCount, kItextPlaceholder) {}

bool TextTable::LoadFtext(const std::string& path,
                          const std::function<void(const std::string&)>& onReadError) {
  return LoadSection(path, "ftext", ftext_, onReadError);
}

bool TextTable::LoadItext(const std::string& path,
                          const std::function<void(const std::string&)>& onReadError) {
  return LoadSection(path, "itext", itext_, onReadError);
}

const std::string& TextTable::ftext(int n) const { return Entry(ftext_, n); }

const std::string& TextTable::itext(int n) const { return Entry(itext_, n); }

}  // namespace tarnwick
