#pragma once
// Machine, version and text helpers shared by the data-access layer, the
// main window and the dialogs.

#include <cstdint>
#include <string>

// UTF-8 text as code points and back. A byte that is not part of a valid
// UTF-8 sequence becomes U+DC80 + (byte - 0x80) and is written back as that
// byte, so every text makes the round trip unchanged.
std::u32string Utf8ToCodePoints(const std::string& text);
std::string CodePointsToUtf8(const std::u32string& codePoints);

// Unicode simple case mapping of one code point (ASCII only when the system
// has no UTF-8 character tables).
char32_t UpperCaseChar(char32_t c);
char32_t LowerCaseChar(char32_t c);
// Upper and lower case of UTF-8 text.
std::string UpperCaseText(const std::string& text);
std::string LowerCaseText(const std::string& text);

// Hardware address of the first non-loopback network interface (sorted by
// name) that has one, as upper-case "AA:BB:CC:DD:EE:FF"; "NO_RESULT" when none.
std::string GetMacAddress();
// The same, read from the given folder of interfaces (one sub-folder per
// interface holding an "address" file).
std::string GetMacAddress(const std::string& interfaceFolder);

// The program's version text, compiled in ("3.1.15.0").
std::string GetFileVersion();
// 32 or 64 after the build's pointer width; -1 when unknown.
int GetFileComments();

// Sets strDecimalSeparator: "," when "1,2" reads as a number in the current
// locale, "." otherwise.
void InitDecimalSeparator();

// Reads a number written with "." or "," as decimal separator: both are
// replaced by strDecimalSeparator before conversion. Throws
// platform::EConvertError when the text is not a number.
double StrToFloatAnySeparator(const std::string& text);

// n characters drawn uniformly from [0-9A-Za-z] by the system's
// cryptographic generator; empty for n < 1.
std::string GenerateRandomString(int n);

// True for a non-empty text made only of "+0123456789() ".
bool IsValidPhoneNumber(const std::string& text);

// Text of a server error code; the decimal code for unknown codes.
std::string GetServerErrorText(std::uint32_t code);

// True when version a ("3.1.9.0") is older than b; false when either is not
// four dot-separated decimal numbers, or when they are equal.
bool IsVersionOlder(const std::string& a, const std::string& b);

// The low byte of each UTF-16 code unit of the text.
std::string ToNarrowString(const std::string& text);

// Each UTF-16 code unit i (from 0) xor-ed with byte i mod 5 of a fixed key;
// applying it twice gives the text back.
std::string XorTextWithKey(const std::string& text);
