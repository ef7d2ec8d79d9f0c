#include "common/TextHelpers.h"

#include <locale.h>
#include <sys/random.h>
#include <wctype.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <clocale>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "common/Globals.h"
#include "platform/Format.h"

namespace {

constexpr char32_t kEscapeBase = 0xDC00;  // invalid byte b is held as U+DC00 + b (b >= 0x80)
constexpr char32_t kReplacement = 0xFFFD;

bool IsEscapedByte(char32_t c) { return c >= kEscapeBase + 0x80 && c <= kEscapeBase + 0xFF; }

// UTF-16 code units of code points; escaped bytes stay single units.
std::u16string ToUtf16(const std::u32string& codePoints) {
  std::u16string units;
  units.reserve(codePoints.size());
  for (char32_t c : codePoints) {
    if (c >= 0x10000 && c <= 0x10FFFF) {
      const char32_t v = c - 0x10000;
      units.push_back(static_cast<char16_t>(0xD800 + (v >> 10)));
      units.push_back(static_cast<char16_t>(0xDC00 + (v & 0x3FF)));
    } else {
      units.push_back(static_cast<char16_t>(c));
    }
  }
  return units;
}

std::u32string FromUtf16(const std::u16string& units) {
  std::u32string codePoints;
  codePoints.reserve(units.size());
  for (std::size_t i = 0; i < units.size(); ++i) {
    const char32_t u = units[i];
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF) {
      codePoints.push_back(0x10000 + ((u - 0xD800) << 10) + (units[i + 1] - 0xDC00));
      ++i;
    } else {
      codePoints.push_back(u);
    }
  }
  return codePoints;
}

// Character tables of the C.UTF-8 locale, made once; nullptr when missing.
locale_t Utf8Locale() {
  static const locale_t locale = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
  return locale;
}

template <typename Map>
std::string MapText(const std::string& text, Map map) {
  std::u32string codePoints = Utf8ToCodePoints(text);
  for (char32_t& c : codePoints) c = map(c);
  return CodePointsToUtf8(codePoints);
}

// Non-loopback interface with a readable, non-zero hardware address.
std::string HardwareAddressOf(const std::filesystem::path& interface) {
  std::ifstream typeFile(interface / "type");
  int type = 0;
  if (typeFile >> type && type == 772) return {};  // ARPHRD_LOOPBACK
  std::ifstream addressFile(interface / "address");
  std::string address;
  if (!std::getline(addressFile, address)) return {};
  while (!address.empty() && (address.back() == '\n' || address.back() == '\r' || address.back() == ' '))
    address.pop_back();
  // Pairs of hex digits separated by ':'.
  if (address.empty() || address.size() % 3 != 2) return {};
  bool nonZero = false;
  for (std::size_t i = 0; i < address.size(); ++i) {
    const char c = address[i];
    if (i % 3 == 2) {
      if (c != ':') return {};
    } else if (std::isxdigit(static_cast<unsigned char>(c)) == 0) {
      return {};
    } else if (c != '0') {
      nonZero = true;
    }
  }
  if (!nonZero) return {};
  std::transform(address.begin(), address.end(), address.begin(),
                 [](char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); });
  return address;
}

// Fills the buffer from the kernel's cryptographic generator; false on failure.
bool FillRandom(unsigned char* buffer, std::size_t size) {
  std::size_t done = 0;
  while (done < size) {
    const ssize_t n = getrandom(buffer + done, size - done, 0);
    if (n < 0) {
      if (errno == EINTR) continue;
      break;
    }
    done += static_cast<std::size_t>(n);
  }
  if (done == size) return true;
  std::ifstream urandom("/dev/urandom", std::ios::binary);
  return static_cast<bool>(urandom.read(reinterpret_cast<char*>(buffer), static_cast<std::streamsize>(size)));
}

// The four decimal components of a version text; false unless exactly four.
bool SplitVersion(const std::string& text, std::array<unsigned long long, 4>& parts) {
  if (std::count(text.begin(), text.end(), '.') != 3) return false;
  const char* p = text.data();
  const char* end = text.data() + text.size();
  for (std::size_t i = 0; i < parts.size(); ++i) {
    const auto [next, error] = std::from_chars(p, end, parts[i]);
    if (error != std::errc{} || (next != end && *next != '.')) return false;
    p = next == end ? end : next + 1;
  }
  return true;
}

}  // namespace

std::u32string Utf8ToCodePoints(const std::string& text) {
  std::u32string codePoints;
  codePoints.reserve(text.size());
  const auto byte = [&text](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  std::size_t i = 0;
  while (i < text.size()) {
    const unsigned char b = byte(i);
    std::size_t length = 0;
    char32_t c = 0;
    char32_t minimum = 0;
    if (b < 0x80) {
      codePoints.push_back(b);
      ++i;
      continue;
    } else if ((b & 0xE0) == 0xC0) {
      length = 2, c = b & 0x1F, minimum = 0x80;
    } else if ((b & 0xF0) == 0xE0) {
      length = 3, c = b & 0x0F, minimum = 0x800;
    } else if ((b & 0xF8) == 0xF0) {
      length = 4, c = b & 0x07, minimum = 0x10000;
    }
    bool valid = length > 0 && i + length <= text.size();
    for (std::size_t k = 1; valid && k < length; ++k) {
      if ((byte(i + k) & 0xC0) != 0x80) valid = false;
      c = (c << 6) | (byte(i + k) & 0x3F);
    }
    // Overlong forms, surrogates and values beyond U+10FFFF are not valid UTF-8.
    if (valid && (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))) valid = false;
    if (valid) {
      codePoints.push_back(c);
      i += length;
    } else {
      codePoints.push_back(kEscapeBase + b);
      ++i;
    }
  }
  return codePoints;
}

std::string CodePointsToUtf8(const std::u32string& codePoints) {
  std::string text;
  text.reserve(codePoints.size());
  for (char32_t c : codePoints) {
    if (IsEscapedByte(c)) {
      text.push_back(static_cast<char>(c - kEscapeBase));
      continue;
    }
    if ((c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) c = kReplacement;
    if (c < 0x80) {
      text.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
      text.push_back(static_cast<char>(0xC0 | (c >> 6)));
      text.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
      text.push_back(static_cast<char>(0xE0 | (c >> 12)));
      text.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      text.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
      text.push_back(static_cast<char>(0xF0 | (c >> 18)));
      text.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
      text.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      text.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }
  return text;
}

char32_t UpperCaseChar(char32_t c) {
  if (c < 0x80) return c >= U'a' && c <= U'z' ? c - 0x20 : c;
  const locale_t locale = Utf8Locale();
  if (locale == static_cast<locale_t>(nullptr) || IsEscapedByte(c)) return c;
  return static_cast<char32_t>(towupper_l(static_cast<wint_t>(c), locale));
}

char32_t LowerCaseChar(char32_t c) {
  if (c < 0x80) return c >= U'A' && c <= U'Z' ? c + 0x20 : c;
  const locale_t locale = Utf8Locale();
  if (locale == static_cast<locale_t>(nullptr) || IsEscapedByte(c)) return c;
  return static_cast<char32_t>(towlower_l(static_cast<wint_t>(c), locale));
}

std::string UpperCaseText(const std::string& text) { return MapText(text, UpperCaseChar); }
std::string LowerCaseText(const std::string& text) { return MapText(text, LowerCaseChar); }

std::string GetMacAddress(const std::string& interfaceFolder) {
  std::error_code error;
  std::vector<std::filesystem::path> interfaces;
  for (std::filesystem::directory_iterator it(interfaceFolder, error), end; !error && it != end; it.increment(error))
    interfaces.push_back(it->path());
  std::sort(interfaces.begin(), interfaces.end());
  for (const std::filesystem::path& interface : interfaces) {
    if (interface.filename() == "lo") continue;
    std::string address = HardwareAddressOf(interface);
    if (!address.empty()) return address;
  }
  return "NO_RESULT";
}

std::string GetMacAddress() { return GetMacAddress("/sys/class/net"); }

std::string GetFileVersion() {
#ifdef QUORVANE_VERSION
  return QUORVANE_VERSION;
#else
  return {};
#endif
}

int GetFileComments() {
  if constexpr (sizeof(void*) == 8) return 64;
  if constexpr (sizeof(void*) == 4) return 32;
  return -1;
}

void InitDecimalSeparator() {
  // The C library's numeric locale decides whether "1,2" is a number.
  const lconv* conventions = std::localeconv();
  const char separator =
      conventions != nullptr && conventions->decimal_point != nullptr && conventions->decimal_point[0] != '\0'
          ? conventions->decimal_point[0]
          : '.';
  double value = 0.0;
  strDecimalSeparator = platform::TryStrToFloat("1,2", value, separator) ? "," : ".";
}

double StrToFloatAnySeparator(const std::string& text) {
  // An unset separator reads as ".": replacing by nothing would turn "1.5" into 15.
  const char separator = strDecimalSeparator.empty() ? '.' : strDecimalSeparator[0];
  std::string normalised = text;
  std::replace_if(
      normalised.begin(), normalised.end(), [](char c) { return c == '.' || c == ','; }, separator);
  return platform::StrToFloat(normalised, separator);
}

std::string GenerateRandomString(int n) {
  static constexpr char kAlphabet[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  constexpr unsigned kAlphabetSize = sizeof(kAlphabet) - 1;                 // 62
  constexpr unsigned kUnbiasedLimit = 256 / kAlphabetSize * kAlphabetSize;  // 248
  std::string result;
  if (n < 1) return result;
  result.reserve(static_cast<std::size_t>(n));
  std::vector<unsigned char> buffer(static_cast<std::size_t>(n) + 16);
  while (result.size() < static_cast<std::size_t>(n)) {
    if (!FillRandom(buffer.data(), buffer.size())) return {};
    // Bytes from 248 up are dropped so that every character is equally likely.
    for (unsigned char b : buffer) {
      if (b >= kUnbiasedLimit) continue;
      result.push_back(kAlphabet[b % kAlphabetSize]);
      if (result.size() == static_cast<std::size_t>(n)) break;
    }
  }
  return result;
}

bool IsValidPhoneNumber(const std::string& text) {
  if (text.empty()) return false;
  return text.find_first_not_of("+0123456789() ") == std::string::npos;
}

std::string GetServerErrorText(std::uint32_t code) {
  switch (code) {
    case 4060:
      return "Server Data storage not found";
    case 10060:
      return "Wrong communication chanel";
    case 11001:
      return "Server not found";
    case 18456:
      return "Server authentification failed";
    default:
      return std::to_string(code);
  }
}

bool IsVersionOlder(const std::string& a, const std::string& b) {
  std::array<unsigned long long, 4> pa{};
  std::array<unsigned long long, 4> pb{};
  if (!SplitVersion(a, pa) || !SplitVersion(b, pb)) return false;
  return pa < pb;
}

std::string ToNarrowString(const std::string& text) {
  const std::u16string units = ToUtf16(Utf8ToCodePoints(text));
  std::string narrow(units.size(), '\0');
  std::transform(units.begin(), units.end(), narrow.begin(), [](char16_t u) { return static_cast<char>(u & 0xFF); });
  return narrow;
}

std::string XorTextWithKey(const std::string& text) {
  // Key bytes below 0x80 change only the low seven bits of a unit, so every
  // unit keeps its kind (character, surrogate, escaped byte) and the result
  // converts back to the same UTF-8 structure.
  static constexpr std::array<char16_t, 5> kKey{0x2B, 0x51, 0x1D, 0x6C, 0x37};
  std::u16string units = ToUtf16(Utf8ToCodePoints(text));
  for (std::size_t i = 0; i < units.size(); ++i) units[i] = static_cast<char16_t>(units[i] ^ kKey[i % kKey.size()]);
  return CodePointsToUtf8(FromUtf16(units));
}
