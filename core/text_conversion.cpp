#include "text_conversion.h"

#include <immintrin.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace runemill {
namespace {

using Bytes = const std::uint8_t*;

// Entries of up to eight bytes are copied as one unaligned 8-byte store into an
// output that has eight bytes of slack; the next store overwrites the excess.
constexpr std::size_t kSlotSize = 8;

struct PreparedTable {
  alignas(64) std::array<std::uint8_t, 256> first_byte{};
  alignas(64) std::array<std::uint8_t, 256> short_length{};  // valid when fits_slots
  std::array<std::uint64_t, 256> slot{};
  bool one_byte_each = true;
  bool fits_slots = true;
};

PreparedTable Prepare(const SubstitutionTable& table) {
  PreparedTable p;
  for (int b = 0; b < 256; ++b) {
    const ByteString& entry = table.GetEntry(static_cast<std::uint8_t>(b));
    if (entry.size() != 1) p.one_byte_each = false;
    if (entry.size() > kSlotSize) p.fits_slots = false;
    if (!entry.empty()) p.first_byte[b] = static_cast<std::uint8_t>(entry[0]);
    p.short_length[b] = static_cast<std::uint8_t>(entry.size() > kSlotSize ? 0 : entry.size());
    std::memcpy(&p.slot[b], entry.data(), entry.size() > kSlotSize ? 0 : entry.size());
  }
  return p;
}

void LookUpScalar(Bytes in, std::size_t n, const std::uint8_t* map, std::uint8_t* out) {
  std::size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    std::uint64_t word;
    std::memcpy(&word, in + i, 8);
    std::uint64_t result = 0;
    for (int k = 0; k < 8; ++k) result |= std::uint64_t{map[(word >> (8 * k)) & 0xFF]} << (8 * k);
    std::memcpy(out + i, &result, 8);
  }
  for (; i < n; ++i) out[i] = map[in[i]];
}

std::size_t SumLengthsScalar(Bytes in, std::size_t n, const std::uint8_t* length) {
  std::size_t sums[4] = {};
  std::size_t i = 0;
  for (; i + 4 <= n; i += 4) {
    sums[0] += length[in[i]];
    sums[1] += length[in[i + 1]];
    sums[2] += length[in[i + 2]];
    sums[3] += length[in[i + 3]];
  }
  for (; i < n; ++i) sums[0] += length[in[i]];
  return sums[0] + sums[1] + sums[2] + sums[3];
}

#if defined(__x86_64__)
#define RUNEMILL_VBMI __attribute__((target("avx512f,avx512bw,avx512vbmi")))

// A 256-entry byte table as four 64-byte registers: two two-register permutes
// look up the low seven bits, and the top bit picks between them.
struct VbmiTable {
  __m512i t0, t1, t2, t3;
};

RUNEMILL_VBMI inline VbmiTable LoadVbmiTable(const std::uint8_t* map) {
  return {_mm512_loadu_si512(map), _mm512_loadu_si512(map + 64), _mm512_loadu_si512(map + 128),
          _mm512_loadu_si512(map + 192)};
}

RUNEMILL_VBMI inline __m512i LookUp64(const VbmiTable& t, __m512i x) {
  const __m512i low = _mm512_permutex2var_epi8(t.t0, x, t.t1);
  const __m512i high = _mm512_permutex2var_epi8(t.t2, x, t.t3);
  return _mm512_mask_blend_epi8(_mm512_movepi8_mask(x), low, high);
}

RUNEMILL_VBMI void LookUpVbmi(Bytes in, std::size_t n, const std::uint8_t* map,
                              std::uint8_t* out) {
  const VbmiTable t = LoadVbmiTable(map);
  std::size_t i = 0;
  for (; i + 64 <= n; i += 64) {
    _mm512_storeu_si512(out + i, LookUp64(t, _mm512_loadu_si512(in + i)));
  }
  LookUpScalar(in + i, n - i, map, out + i);
}

RUNEMILL_VBMI std::size_t SumLengthsVbmi(Bytes in, std::size_t n, const std::uint8_t* length) {
  const VbmiTable t = LoadVbmiTable(length);
  __m512i sums = _mm512_setzero_si512();
  std::size_t i = 0;
  for (; i + 64 <= n; i += 64) {
    const __m512i lengths = LookUp64(t, _mm512_loadu_si512(in + i));
    sums = _mm512_add_epi64(sums, _mm512_sad_epu8(lengths, _mm512_setzero_si512()));
  }
  alignas(64) std::uint64_t lanes[8];
  _mm512_store_si512(lanes, sums);
  std::size_t total = SumLengthsScalar(in + i, n - i, length);
  for (std::uint64_t lane : lanes) total += lane;
  return total;
}

bool HasVbmi() {
  static const bool has = __builtin_cpu_supports("avx512vbmi") &&
                          __builtin_cpu_supports("avx512bw");
  return has;
}
#else
bool HasVbmi() { return false; }
void LookUpVbmi(Bytes, std::size_t, const std::uint8_t*, std::uint8_t*) {}
std::size_t SumLengthsVbmi(Bytes, std::size_t, const std::uint8_t*) { return 0; }
#endif

void LookUp(Bytes in, std::size_t n, const std::uint8_t* map, std::uint8_t* out) {
  HasVbmi() ? LookUpVbmi(in, n, map, out) : LookUpScalar(in, n, map, out);
}

std::size_t SumLengths(Bytes in, std::size_t n, const std::uint8_t* length) {
  return HasVbmi() ? SumLengthsVbmi(in, n, length) : SumLengthsScalar(in, n, length);
}

void ConvertThroughSlots(Bytes in, std::size_t n, const PreparedTable& p, ByteString& out) {
  const std::size_t total = SumLengths(in, n, p.short_length.data());
  out.resize(total + kSlotSize);
  auto* dst = reinterpret_cast<std::uint8_t*>(out.data());
  const std::uint64_t* slot = p.slot.data();
  const std::uint8_t* length = p.short_length.data();
  std::size_t i = 0;
  // Eight bytes at a time, their output offsets computed side by side, so that
  // only one addition per eight bytes waits for the one before.
  for (; i + 8 <= n; i += 8) {
    std::uint64_t word;
    std::memcpy(&word, in + i, 8);
    std::uint64_t entries[8];
    std::size_t offsets[9];
    offsets[0] = 0;
    for (int k = 0; k < 8; ++k) {
      const auto b = static_cast<std::uint8_t>(word >> (8 * k));
      entries[k] = slot[b];
      offsets[k + 1] = offsets[k] + length[b];
    }
    for (int k = 0; k < 8; ++k) std::memcpy(dst + offsets[k], &entries[k], kSlotSize);
    dst += offsets[8];
  }
  for (; i < n; ++i) {
    std::memcpy(dst, &slot[in[i]], kSlotSize);
    dst += length[in[i]];
  }
  out.resize(total);
}

void ConvertEntryByEntry(Bytes in, std::size_t n, const SubstitutionTable& table,
                         ByteString& out) {
  std::size_t total = 0;
  for (std::size_t i = 0; i < n; ++i) total += table.GetEntry(in[i]).size();
  out.resize(total);
  char* dst = out.data();
  for (std::size_t i = 0; i < n; ++i) {
    const ByteString& entry = table.GetEntry(in[i]);
    std::memcpy(dst, entry.data(), entry.size());
    dst += entry.size();
  }
}

}  // namespace

void ConvertTextInto(std::string_view text, const SubstitutionTable& table, ByteString& out) {
  const auto* in = reinterpret_cast<Bytes>(text.data());
  const std::size_t n = text.size();
  const PreparedTable p = Prepare(table);
  if (p.one_byte_each) {
    out.resize(n);
    LookUp(in, n, p.first_byte.data(), reinterpret_cast<std::uint8_t*>(out.data()));
  } else if (p.fits_slots) {
    ConvertThroughSlots(in, n, p, out);
  } else {
    ConvertEntryByEntry(in, n, table, out);
  }
}

ByteString ConvertText(std::string_view text, const SubstitutionTable& table) {
  ByteString out;
  ConvertTextInto(text, table, out);
  return out;
}

}  // namespace runemill
