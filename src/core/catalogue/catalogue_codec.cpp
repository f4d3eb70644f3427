#include "core/catalogue/catalogue_codec.h"

#include <array>
#include <utility>

namespace tarnwick {
namespace {

// The 39 pairs. Lower-case letters rotate among themselves (so every one of
// them can still be written); the 13 punctuation keys give digits and letters,
// which costs those 13 characters: a catalogue cannot contain them.
constexpr std::array<std::pair<char, char>, 39> kPairs{{
    {'a', 'n'},  {'b', 'o'},  {'c', 'p'}, {'d', 'q'}, {'e', 'r'}, {'f', 's'}, {'g', 't'},
    {'h', 'u'},  {'i', 'v'},  {'j', 'w'}, {'k', 'x'}, {'l', 'y'}, {'m', 'z'}, {'n', 'a'},
    {'o', 'b'},  {'p', 'c'},  {'q', 'd'}, {'r', 'e'}, {'s', 'f'}, {'t', 'g'}, {'u', 'h'},
    {'v', 'i'},  {'w', 'j'},  {'x', 'k'}, {'y', 'l'}, {'z', 'm'}, {'!', '7'}, {'"', '3'},
    {'%', 'Q'},  {'\'', '0'}, {';', 'K'}, {'<', '5'}, {'>', 'B'}, {'?', '9'}, {'[', 'M'},
    {'\\', '1'}, {']', 'X'},  {'^', '2'}, {'`', 'Z'},
}};

struct Tables {
  std::array<std::uint8_t, 256> forward{};  // unscrambled byte after the bit pass -> text
  std::array<std::int16_t, 128> inverse{};  // text -> byte before substitution, -1 none
};

constexpr Tables MakeTables() {
  Tables t;
  for (int i = 0; i < 256; ++i) t.forward[i] = static_cast<std::uint8_t>(i);
  for (const auto& [key, value] : kPairs) {
    t.forward[static_cast<std::uint8_t>(key)] = static_cast<std::uint8_t>(value);
  }
  for (auto& v : t.inverse) v = -1;
  // Plain characters first, then the keys: a character that is a pair's value
  // and also plain (a digit) is written plain, so encoding is canonical.
  for (int c = 0; c < 128; ++c) {
    if (t.forward[c] == c) t.inverse[c] = static_cast<std::int16_t>(c);
  }
  for (const auto& [key, value] : kPairs) {
    auto v = static_cast<std::uint8_t>(value);
    if (t.inverse[v] < 0) t.inverse[v] = static_cast<std::uint8_t>(key);
  }
  return t;
}

constexpr Tables kTables = MakeTables();

}  // namespace

std::uint8_t CatalogueBitPass(std::uint8_t b) {
  return static_cast<std::uint8_t>((~b & 0x08) | ((b >> 4) & 0x07) | ((b & 0x07) << 4));
}

std::uint8_t CatalogueSubstitute(std::uint8_t b) { return kTables.forward[b]; }

bool CatalogueCanProduce(std::uint8_t c) { return c < 128 && kTables.inverse[c] >= 0; }

std::string DecodeCatalogue(std::string_view stored) {
  std::string text(stored.size(), '\0');
  for (std::size_t i = 0; i < stored.size(); ++i) {
    auto b = static_cast<std::uint8_t>(stored[i]);
    text[i] = static_cast<char>(CatalogueSubstitute(CatalogueBitPass(b)));
  }
  return text;
}

bool EncodeCatalogue(std::string_view text, std::string& out, CatalogueEncodeError& error) {
  std::string stored(text.size(), '\0');
  std::size_t line = 1;
  std::size_t column = 1;
  for (std::size_t i = 0; i < text.size(); ++i) {
    auto c = static_cast<std::uint8_t>(text[i]);
    if (!CatalogueCanProduce(c)) {
      error = {line, column, c};
      return false;
    }
    auto beforeSubstitution = static_cast<std::uint8_t>(kTables.inverse[c]);
    stored[i] = static_cast<char>(CatalogueBitPass(beforeSubstitution));
    if (c == '\n') {
      ++line;
      column = 1;
    } else {
      ++column;
    }
  }
  out = std::move(stored);
  return true;
}

}  // namespace tarnwick
