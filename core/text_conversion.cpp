#include "text_conversion.h"

#include <immintrin.h>

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <tuple>
#include <utility>

namespace runemill {
namespace {

using Bytes = const std::uint8_t*;

// Entries of up to eight bytes are copied as one unaligned 8-byte store; the
// next store overwrites the excess. Eight such stores reach at most 64 bytes
// past the output offset, so the stores stop 64 bytes before the end and the
// rest is copied entry by entry, exactly.
constexpr std::size_t kSlotSize = 8;
constexpr std::size_t kLongestStoreRun = 64;

struct PreparedTable {
  alignas(64) std::array<std::uint8_t, 256> first_byte{};
  alignas(64) std::array<std::uint8_t, 256> short_length{};  // valid when fits_slots
  // Byte k of every entry, for the 64-byte look-ups; zero past its end.
  alignas(64) std::array<std::array<std::uint8_t, 256>, kSlotSize> plane{};
  std::array<std::uint64_t, 256> slot{};
  std::size_t longest = 0;
  bool one_byte_each = true;
  bool fits_slots = true;
};

PreparedTable Prepare(const SubstitutionTable& table) {
  PreparedTable p;
  for (int b = 0; b < 256; ++b) {
    const ByteString& entry = table.GetEntry(static_cast<std::uint8_t>(b));
    if (entry.size() != 1) p.one_byte_each = false;
    if (entry.size() > kSlotSize) p.fits_slots = false;
    if (entry.size() > p.longest) p.longest = entry.size();
    if (!entry.empty()) p.first_byte[b] = static_cast<std::uint8_t>(entry[0]);
    const std::size_t stored = entry.size() > kSlotSize ? 0 : entry.size();
    p.short_length[b] = static_cast<std::uint8_t>(stored);
    std::memcpy(&p.slot[b], entry.data(), stored);
    for (std::size_t k = 0; k < stored; ++k) p.plane[k][b] = static_cast<std::uint8_t>(entry[k]);
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
#define RUNEMILL_VBMI2 __attribute__((target("avx512f,avx512bw,avx512vbmi,avx512vbmi2,popcnt")))

// A 256-entry byte table as four 64-byte registers: two two-register permutes
// look up the low seven bits, and the top bit picks between them.
struct VbmiTable {
  __m512i t0, t1, t2, t3;
};

RUNEMILL_VBMI inline VbmiTable LoadVbmiTable(const std::uint8_t* map) {
  return {_mm512_loadu_si512(map), _mm512_loadu_si512(map + 64), _mm512_loadu_si512(map + 128),
          _mm512_loadu_si512(map + 192)};
}

RUNEMILL_VBMI inline __m512i LookUp64(const VbmiTable& t, __m512i x, __mmask64 high) {
  const __m512i low = _mm512_permutex2var_epi8(t.t0, x, t.t1);
  const __m512i upper = _mm512_permutex2var_epi8(t.t2, x, t.t3);
  return _mm512_mask_blend_epi8(high, low, upper);
}

RUNEMILL_VBMI inline __m512i LookUp64(const VbmiTable& t, __m512i x) {
  return LookUp64(t, x, _mm512_movepi8_mask(x));
}

RUNEMILL_VBMI void LookUpVbmi(Bytes in, std::size_t n, const std::uint8_t* map, std::uint8_t* out) {
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

// Index vectors for entries of at most kWidth bytes: 64 input bytes make
// kWidth chunks of 64 / kWidth, and chunk j lays entry i of it out at bytes
// kWidth * i .. kWidth * i + kWidth - 1 of a register, taken from the planes
// two at a time; a compress then drops the bytes past each entry's length.
template <int kWidth>
struct SpreadIndices {
  static constexpr int kPerChunk = 64 / kWidth;
  static constexpr int kPairs = kWidth > 1 ? kWidth / 2 : 1;
  alignas(64) std::uint8_t pair[kWidth][kPairs][64];
  alignas(64) std::uint8_t repeat[kWidth][64];
  alignas(64) std::uint8_t position[64];
  std::uint64_t pair_mask[kPairs];
};

template <int kWidth>
const SpreadIndices<kWidth>& Indices() {
  static const SpreadIndices<kWidth> indices = [] {
    using Spread = SpreadIndices<kWidth>;
    Spread s{};
    for (int j = 0; j < kWidth; ++j) {
      for (int at = 0; at < 64; ++at) {
        const int entry = Spread::kPerChunk * j + at / kWidth;
        const int k = at % kWidth;
        s.repeat[j][at] = static_cast<std::uint8_t>(entry);
        s.pair[j][k / 2][at] = static_cast<std::uint8_t>(entry + (k % 2 == 1 ? 64 : 0));
      }
    }
    for (int at = 0; at < 64; ++at) {
      s.position[at] = static_cast<std::uint8_t>(at % kWidth);
      s.pair_mask[at % kWidth / 2] |= std::uint64_t{1} << at;
    }
    return s;
  }();
  return indices;
}

// Converts while a whole block of 64 input bytes fits before the end of out,
// whose size is the exact total; returns the input and output bytes done.
template <int kWidth>
RUNEMILL_VBMI2 std::pair<std::size_t, std::size_t> SpreadVbmi2(Bytes in, std::size_t n,
                                                               const PreparedTable& p,
                                                               std::uint8_t* out,
                                                               std::size_t total) {
  const SpreadIndices<kWidth>& ix = Indices<kWidth>();
  VbmiTable planes[kWidth];
  for (int k = 0; k < kWidth; ++k) planes[k] = LoadVbmiTable(p.plane[k].data());
  const VbmiTable lengths = LoadVbmiTable(p.short_length.data());
  const __m512i position = _mm512_load_si512(ix.position);
  std::size_t i = 0;
  std::size_t o = 0;
  for (; i + 64 <= n && o + 64 * kWidth <= total; i += 64) {
    const __m512i x = _mm512_loadu_si512(in + i);
    const __mmask64 high = _mm512_movepi8_mask(x);
    __m512i plane[kWidth];
    for (int k = 0; k < kWidth; ++k) plane[k] = LookUp64(planes[k], x, high);
    const __m512i length = LookUp64(lengths, x, high);
    for (int j = 0; j < kWidth; ++j) {
      __m512i bytes;
      if constexpr (kWidth == 1) {
        bytes = plane[0];
      } else {
        bytes = _mm512_permutex2var_epi8(plane[0], _mm512_load_si512(ix.pair[j][0]), plane[1]);
        for (int q = 1; q < kWidth / 2; ++q) {
          const __m512i two = _mm512_permutex2var_epi8(
              plane[2 * q], _mm512_load_si512(ix.pair[j][q]), plane[2 * q + 1]);
          bytes = _mm512_mask_blend_epi8(ix.pair_mask[q], bytes, two);
        }
      }
      // The masked form: the plain one trips GCC 12's uninitialized-use warning.
      const __m512i lengths_here =
          _mm512_maskz_permutexvar_epi8(~__mmask64{0}, _mm512_load_si512(ix.repeat[j]), length);
      const __mmask64 keep = _mm512_cmplt_epu8_mask(position, lengths_here);
      _mm512_storeu_si512(out + o, _mm512_maskz_compress_epi8(keep, bytes));
      o += static_cast<std::size_t>(std::popcount(keep));
    }
  }
  return {i, o};
}

RUNEMILL_VBMI2 std::pair<std::size_t, std::size_t> SpreadVbmi2(Bytes in, std::size_t n,
                                                               const PreparedTable& p,
                                                               std::uint8_t* out,
                                                               std::size_t total) {
  if (p.longest <= 1) return SpreadVbmi2<1>(in, n, p, out, total);
  if (p.longest <= 2) return SpreadVbmi2<2>(in, n, p, out, total);
  if (p.longest <= 4) return SpreadVbmi2<4>(in, n, p, out, total);
  return SpreadVbmi2<8>(in, n, p, out, total);
}

bool HasVbmi() {
  static const bool has =
      __builtin_cpu_supports("avx512vbmi") && __builtin_cpu_supports("avx512bw");
  return has;
}

bool HasVbmi2() {
  static const bool has =
      HasVbmi() && __builtin_cpu_supports("avx512vbmi2") && __builtin_cpu_supports("popcnt");
  return has;
}
#else
bool HasVbmi() { return false; }
bool HasVbmi2() { return false; }
void LookUpVbmi(Bytes, std::size_t, const std::uint8_t*, std::uint8_t*) {}
std::size_t SumLengthsVbmi(Bytes, std::size_t, const std::uint8_t*) { return 0; }
std::pair<std::size_t, std::size_t> SpreadVbmi2(Bytes, std::size_t, const PreparedTable&,
                                                std::uint8_t*, std::size_t) {
  return {0, 0};
}
#endif

void ConvertThroughSlots(Bytes in, std::size_t n, const PreparedTable& p, InstructionSet set,
                         ByteString& out) {
  const bool vbmi = set == InstructionSet::kBest && HasVbmi();
  const std::uint8_t* length = p.short_length.data();
  const std::size_t total = vbmi ? SumLengthsVbmi(in, n, length) : SumLengthsScalar(in, n, length);
  out.resize(total);
  auto* dst = reinterpret_cast<std::uint8_t*>(out.data());
  std::size_t i = 0;
  std::size_t o = 0;
  if (set == InstructionSet::kBest && HasVbmi2())
    std::tie(i, o) = SpreadVbmi2(in, n, p, dst, total);
  const std::uint64_t* slot = p.slot.data();
  // Eight bytes at a time, their output offsets computed side by side, so that
  // only one addition per eight bytes waits for the one before.
  for (; i + 8 <= n && o + kLongestStoreRun <= total; i += 8) {
    std::uint64_t word;
    std::memcpy(&word, in + i, 8);
    std::uint64_t entries[8];
    std::size_t offsets[9];
    offsets[0] = o;
    for (int k = 0; k < 8; ++k) {
      const auto b = static_cast<std::uint8_t>(word >> (8 * k));
      entries[k] = slot[b];
      offsets[k + 1] = offsets[k] + length[b];
    }
    for (int k = 0; k < 8; ++k) std::memcpy(dst + offsets[k], &entries[k], kSlotSize);
    o = offsets[8];
  }
  for (; i < n; ++i) {
    std::memcpy(dst + o, &slot[in[i]], length[in[i]]);
    o += length[in[i]];
  }
}

void ConvertEntryByEntry(Bytes in, std::size_t n, const SubstitutionTable& table, ByteString& out) {
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

void ConvertTextInto(std::string_view text, const SubstitutionTable& table, ByteString& out,
                     InstructionSet instructions) {
  const auto* in = reinterpret_cast<Bytes>(text.data());
  const std::size_t n = text.size();
  const PreparedTable p = Prepare(table);
  if (p.one_byte_each) {
    out.resize(n);
    auto* dst = reinterpret_cast<std::uint8_t*>(out.data());
    if (instructions == InstructionSet::kBest && HasVbmi()) {
      LookUpVbmi(in, n, p.first_byte.data(), dst);
    } else {
      LookUpScalar(in, n, p.first_byte.data(), dst);
    }
  } else if (p.fits_slots) {
    ConvertThroughSlots(in, n, p, instructions, out);
  } else {
    ConvertEntryByEntry(in, n, table, out);
  }
}

ByteString ConvertText(std::string_view text, const SubstitutionTable& table,
                       InstructionSet instructions) {
  ByteString out;
  ConvertTextInto(text, table, out, instructions);
  return out;
}

}  // namespace runemill
