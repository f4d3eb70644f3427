#include "core/catalogue/chip_names.h"

#include <algorithm>
#include <cctype>
#include <set>
#include <tuple>

namespace tarnwick {
namespace {

std::string Lower(const std::string& s) {
  std::string out = s;
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

std::size_t Distance(const std::string& a, const std::string& b) {
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

// The record's name in the form of `slashes` ('/' count of what was typed).
std::string NameInForm(const ChipRecord& r, std::size_t slashes) {
  if (slashes == 0) return r.model();
  if (slashes == 1) return r.maker() + "/" + r.model();
  return ChipFullName(r);
}

}  // namespace

std::string ChipFullName(const ChipRecord& record) {
  return record.type() + "/" + record.maker() + "/" + record.model();
}

ChipNameMatch MatchChipName(const Catalogue& catalogue, const std::string& name) {
  ChipNameMatch match;
  const std::vector<ChipRecord>& records = catalogue.Records();
  // The full name exactly as the catalogue writes it is never ambiguous.
  for (std::uint32_t i = 0; i < records.size(); ++i) {
    if (ChipFullName(records[i]) == name) {
      match.records.push_back(i);
      return match;
    }
  }
  const std::string wanted = Lower(name);
  std::set<std::string> seen;
  for (std::uint32_t i = 0; i < records.size(); ++i) {
    const ChipRecord& r = records[i];
    // A model may itself hold '/', so each form is compared whole.
    if (Lower(r.model()) != wanted && Lower(r.maker() + "/" + r.model()) != wanted &&
        Lower(ChipFullName(r)) != wanted) {
      continue;
    }
    if (seen.insert(Lower(ChipFullName(r))).second) match.records.push_back(i);
  }
  if (!match.records.empty() || records.empty()) return match;

  const std::size_t slashes = static_cast<std::size_t>(std::count(name.begin(), name.end(), '/'));
  struct Scored {
    std::size_t distance;
    std::size_t whole;  // ties go to the name nearest as a whole
    std::string shown;
    bool operator<(const Scored& o) const {
      return std::tie(distance, whole, shown) < std::tie(o.distance, o.whole, o.shown);
    }
  };
  std::vector<Scored> scored;
  std::set<std::string> named;
  for (const ChipRecord& r : records) {
    const std::string shown = NameInForm(r, std::min<std::size_t>(slashes, 2));
    if (!named.insert(Lower(shown)).second) continue;
    // A name typed in part is nearest to the names it begins.
    const std::string lower = Lower(shown);
    const std::size_t whole = Distance(wanted, lower);
    const std::size_t begin = Distance(wanted, lower.substr(0, wanted.size()));
    scored.push_back({std::min(whole, begin), whole, shown});
  }
  const std::size_t keep = std::min<std::size_t>(3, scored.size());
  std::partial_sort(scored.begin(), scored.begin() + static_cast<std::ptrdiff_t>(keep),
                    scored.end());
  for (std::size_t k = 0; k < keep; ++k) match.nearest.push_back(scored[k].shown);
  return match;
}

std::vector<std::uint32_t> SearchChips(const Catalogue& catalogue, const std::string& text) {
  std::vector<std::uint32_t> out;
  const std::string wanted = Lower(text);
  std::set<std::string> seen;
  const std::vector<ChipRecord>& records = catalogue.Records();
  for (std::uint32_t i = 0; i < records.size(); ++i) {
    const ChipRecord& r = records[i];
    if (Lower(r.model()).find(wanted) == std::string::npos &&
        Lower(r.maker()).find(wanted) == std::string::npos) {
      continue;
    }
    if (seen.insert(ChipFullName(r)).second) out.push_back(i);
  }
  return out;
}

}  // namespace tarnwick
