#pragma once
#include <string>
#include <string_view>

// Text is UTF-8 in memory and Windows-1252 in every file: the one codec
// between the two.

// ---------------------------------------------------------------- UTF-8

// Appends the UTF-8 form of one character (at most U+10FFFF).
void AppendUtf8(std::string& out, char32_t character);

// Decodes the UTF-8 sequence that starts at text[at] into `character` and
// returns its length; 0 when the bytes there are not UTF-8: a stray or cut
// sequence, an overlong form, a surrogate or a value beyond Unicode.
size_t DecodeUtf8(std::string_view text, size_t at, char32_t& character);

bool IsValidUtf8(std::string_view text);

// ---------------------------------------------------------------- Windows-1252

// The character of a byte. The five bytes the code page leaves undefined
// (81, 8D, 8F, 90, 9D) stand for the control characters of the same number,
// so that they survive a round trip.
char32_t Cp1252Character(unsigned char byte);

// The byte of a character, the five stand-ins included; -1 when the code page
// has none.
int Cp1252Byte(char32_t character);

// The byte of a character the code page defines; -1 also for the five
// control characters that only stand in for its undefined bytes.
int Cp1252DefinedByte(char32_t character);

// Windows-1252 bytes to UTF-8.
std::string Cp1252ToUtf8(std::string_view bytes);

// UTF-8 to Windows-1252 bytes. A character the code page cannot hold, and
// every byte that is not part of valid UTF-8, is written as "?".
std::string Utf8ToCp1252(std::string_view text);

// True when the code page holds this character (so it survives a save).
bool FitsCp1252(char32_t character);

// True when every character of the UTF-8 text survives a save; false also
// when the text is not UTF-8.
bool FitsCp1252(std::string_view text);
