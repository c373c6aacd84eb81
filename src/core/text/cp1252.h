// Windows-1252 text layer.
//
// Every value taken from an ITACA document is turned into Windows-1252 bytes as
// soon as it is read, and all the logic of the tool (trimming, cutting, code
// rules, field widths) works on those 8-bit texts. Conversion back to Unicode
// happens only where text leaves the core: the XML writer and the windows.
#pragma once

#include <string>
#include <string_view>

namespace zi::text {

// Unicode code point of a Windows-1252 byte. The five bytes the code page
// leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 control with
// the same value, as the system conversion does.
char32_t cp1252ToUnicode(unsigned char c);

// Windows-1252 byte for a code point, or -1 when the code page lacks it.
int unicodeToCp1252(char32_t cp);

// UTF-8 to Windows-1252. A character the code page lacks becomes '?'; an
// invalid UTF-8 sequence also becomes '?' (one per bad byte).
std::string utf8ToCp1252(std::string_view utf8);
// The same into `out`, replacing what it held and reusing its room (`utf8`
// must not lie within `out`).
void utf8ToCp1252(std::string_view utf8, std::string& out);
// The same from text closed by a NUL (as the XML parser hands it over),
// measured while it is converted.
void utf8ToCp1252(const char* utf8, std::string& out);

// Windows-1252 to UTF-8 (never fails).
std::string cp1252ToUtf8(std::string_view s);

// ISO-8859-1 to UTF-8 (bytes are code points).
std::string latin1ToUtf8(std::string_view s);

// Whether the bytes are well-formed UTF-8 (no overlongs, no surrogates).
bool isValidUtf8(std::string_view s);

// Decodes one UTF-8 sequence at s[i]; advances i. Returns U+FFFD and advances
// one byte on a bad sequence.
char32_t nextUtf8(std::string_view s, size_t& i);
void appendUtf8(std::string& out, char32_t cp);

// Case folding under the Windows-1252 locale: every letter of the code page
// folds, accented ones included ("é" and "É" compare equal).
unsigned char toUpper1252(unsigned char c);
unsigned char toLower1252(unsigned char c);
std::string upper1252(std::string_view s);
bool equalsNoCase(std::string_view a, std::string_view b);
// Negative, zero or positive, comparing the case-folded bytes.
int compareNoCase(std::string_view a, std::string_view b);

// Raises only the 26 letters a..z; every other byte keeps its form.
std::string upperAscii(std::string_view s);

}  // namespace zi::text
