// Text rules for the program's 8-bit texts (Windows-1251): conversion to and
// from UTF-8 at the edges, and our own upper case, case-insensitive order and
// wildcard matching, the same on every host.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kessik {

// UTF-8 to cp1251. Nothing when the text holds a character cp1251 cannot hold
// (or is not valid UTF-8): such a text is refused, never altered.
std::optional<std::string> utf8ToCp1251(std::string_view utf8);

// cp1251 to UTF-8; every byte has a character.
std::string cp1251ToUtf8(std::string_view cp1251);

// Decodes one UTF-8 character at i and advances i past it; nothing (and i
// unchanged) when the bytes there are no valid UTF-8: a stray continuation
// byte, a cut sequence, an overlong form, a surrogate half, a code point past
// U+10FFFF.
std::optional<char32_t> nextCodePoint(std::string_view utf8, std::size_t& i);
// The offset of the first byte that is no valid UTF-8; nothing when the whole
// text is.
std::optional<std::size_t> firstInvalidUtf8(std::string_view utf8);
// Appends one character as UTF-8.
void appendUtf8(std::string& out, char32_t cp);

// A UTF-8 literal of the program's own texts as cp1251 bytes. The literal must
// be representable; a programming error otherwise (the unmappable characters
// are dropped so that nothing crashes).
std::string ru(std::string_view utf8Literal);

// The first character of the text that cp1251 cannot hold, as UTF-8, or
// nothing when the whole text converts.
std::optional<std::string> firstUnmappable(std::string_view utf8);

char upperChar(char c);
char lowerChar(char c);
std::string upperCase(std::string_view text);
std::string lowerCase(std::string_view text);

// Case-insensitive order: punctuation and symbols, then digits, then Latin
// letters, then Cyrillic letters in alphabetical order (ё next to е).
// Negative, zero or positive.
int compareIgnoringCase(std::string_view a, std::string_view b);

// "*" any run (also none), "?" exactly one character; case is ignored.
bool wildcardMatch(std::string_view text, std::string_view mask);

}  // namespace kessik
