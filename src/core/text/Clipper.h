// Small text helpers used by the steps to trim values and derive codes.
// They work on Windows-1252 texts; positions count from 1. Only the blank
// (code 32) counts as a blank: tabs and line breaks are ordinary characters.
#pragma once

#include <string>
#include <string_view>

namespace zi {

// Without leading and trailing blanks (trailing ones first).
std::string QuitarBlancos(std::string_view s);
// The same in place, without a new string.
void QuitarBlancosEn(std::string& s);
// Without leading blanks.
std::string QuitarBlancosIzq(std::string_view s);
// Without trailing blanks.
std::string QuitarBlancosDer(std::string_view s);
// The first n characters (the whole text when n is not less than its length,
// the empty text when n is 0 or negative).
std::string Izquierda(std::string_view s, long n);
// The last n characters, by the same rule.
std::string Derecha(std::string_view s, long n);
// The character after each blank, taken when the four characters after the
// blank are all non-blank; after a blank among the last four positions before
// the end the next character is taken whatever it is. The first character of
// the text never comes in. The separator is kept for the callers' sake: the
// blank is the only separator.
std::string Iniciales(std::string_view s, std::string_view separador = " ");

}  // namespace zi
