#include "guess_samples.h"

#include <iconv.h>

#include <cstdint>
#include <map>
#include <optional>
#include <random>

#include "russian_text.h"

namespace runemill {
namespace {

std::optional<std::string> Iconv(const std::string& text, const char* from, const char* to) {
  iconv_t converter = iconv_open(to, from);
  if (converter == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  std::string out(text.size() * 4 + 16, '\0');
  char* in = const_cast<char*>(text.data());
  std::size_t in_left = text.size();
  char* dst = out.data();
  std::size_t out_left = out.size();
  const std::size_t result = iconv(converter, &in, &in_left, &dst, &out_left);
  iconv_close(converter);
  if (result == static_cast<std::size_t>(-1) || in_left != 0) return std::nullopt;
  out.resize(out.size() - out_left);
  return out;
}

void AppendUtf8(char32_t c, std::string& out) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

std::vector<char32_t> DecodeUtf8(const std::string& text) {
  std::vector<char32_t> out;
  for (std::size_t i = 0; i < text.size();) {
    const auto b = static_cast<std::uint8_t>(text[i]);
    const int length = b < 0x80 ? 1 : b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
    char32_t c = length == 1 ? b : b & (0x7F >> length);
    for (int k = 1; k < length && i + k < text.size(); ++k) {
      c = (c << 6) | (static_cast<std::uint8_t>(text[i + k]) & 0x3F);
    }
    out.push_back(c);
    i += static_cast<std::size_t>(length);
  }
  return out;
}

// Typographic marks that only some of the encodings have become their ASCII
// forms; any other character that one of them lacks becomes "?".
std::string CommonRepertoire(const std::string& utf8) {
  std::map<char32_t, std::string> replacement = {
      {U'«', "\""}, {U'»', "\""},  {U'„', "\""}, {U'“', "\""},     {U'”', "\""}, {U'–', "-"},
      {U'—', "-"},  {U'…', "..."}, {U'№', "N"},  {U'\u00A0', " "}, {U'\t', " "}};
  std::string out;
  for (char32_t c : DecodeUtf8(utf8)) {
    auto known = replacement.find(c);
    if (known == replacement.end()) {
      std::string one;
      AppendUtf8(c, one);
      bool everywhere = c >= 0x20 || c == U'\n';
      for (const SampleEncoding& encoding : SampleEncodings()) {
        everywhere = everywhere && Iconv(one, "UTF-8", encoding.iconv_name).has_value();
      }
      known = replacement.emplace(c, everywhere ? one : "?").first;
    }
    out += known->second;
  }
  return out;
}

std::size_t RussianLetters(std::string_view cp1251) {
  std::size_t n = 0;
  for (char c : cp1251) {
    const auto b = static_cast<std::uint8_t>(c);
    n += b >= 0xC0 || b == 0xA8 || b == 0xB8 ? 1 : 0;
  }
  return n;
}

}  // namespace

const std::vector<SampleEncoding>& SampleEncodings() {
  static const std::vector<SampleEncoding> encodings = {{"koi8-r", "KOI8-R"},
                                                        {"koi8-u", "KOI8-U"},
                                                        {"cp866", "CP866"},
                                                        {"iso-8859-5", "ISO-8859-5"},
                                                        {"mac-cyrillic", "MAC-CYRILLIC"},
                                                        {"cp1251", "CP1251"}};
  return encodings;
}

std::vector<GuessSample> MakeGuessSamples(std::size_t size, std::size_t count) {
  static const std::string text = CommonRepertoire(ReadFortunes(FortuneSet::kHeldOut));
  std::vector<std::string> encoded;
  for (const SampleEncoding& encoding : SampleEncodings()) {
    std::optional<std::string> bytes = Iconv(text, "UTF-8", encoding.iconv_name);
    if (!bytes) return {};
    encoded.push_back(std::move(*bytes));
  }
  const std::string& cp1251 = encoded.back();
  std::vector<GuessSample> samples;
  if (cp1251.size() < size * 2) return samples;
  std::mt19937 random(static_cast<std::uint32_t>(1251 + size));
  while (samples.size() < count) {
    std::size_t start = random() % (cp1251.size() - size * 2);
    while (cp1251[start] != ' ' && cp1251[start] != '\n') ++start;
    ++start;
    const std::string_view window = std::string_view(cp1251).substr(start, size);
    if (RussianLetters(window) < size / 4) continue;
    GuessSample sample;
    for (const std::string& bytes : encoded) sample.encoded.push_back(bytes.substr(start, size));
    sample.cp1251 = std::string(window);
    samples.push_back(std::move(sample));
  }
  return samples;
}

}  // namespace runemill
