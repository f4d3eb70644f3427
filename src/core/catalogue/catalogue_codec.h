// The scrambling of "database.dat": a bit pass and a substitution pass over
// every byte. The reader and the catalogue tool share these functions, so the
// file the tool writes is exactly the file the program reads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tarnwick {

// Bit pass: bits 4-6 and bits 0-2 change places, bit 3 is inverted, bit 7 is
// dropped. On 7-bit values the pass is its own inverse.
std::uint8_t CatalogueBitPass(std::uint8_t b);

// Substitution pass: a byte equal to one of the 39 keys becomes its value;
// every other byte stays. Applied once per byte.
std::uint8_t CatalogueSubstitute(std::uint8_t b);

// True when some stored byte unscrambles to `c`. Bytes from 0x80 on and the
// punctuation keys that map to digits can never come out of the two passes.
bool CatalogueCanProduce(std::uint8_t c);

// Both passes over a whole stored file.
std::string DecodeCatalogue(std::string_view stored);

// Where the encoder met a character it cannot produce (1-based).
struct CatalogueEncodeError {
  std::size_t line = 0;
  std::size_t column = 0;
  std::uint8_t byte = 0;
};

// The inverse of DecodeCatalogue: DecodeCatalogue(*out) == text. Refuses the
// first character the passes cannot produce and tells where it stands.
bool EncodeCatalogue(std::string_view text, std::string& out, CatalogueEncodeError& error);

}  // namespace tarnwick
