// The text helpers and the Windows-1252 layer.
#include <gtest/gtest.h>

#include "text/Clipper.h"
#include "text/cp1252.h"

namespace zi {
namespace {

TEST(Clipper, TrimsOnlyBlanks) {
  struct Case { const char* in; const char* both; const char* left; const char* right; };
  const Case cases[] = {
      {"", "", "", ""},
      {"   ", "", "", ""},
      {" a  b ", "a  b", "a  b ", " a  b"},
      {"\tx\t", "\tx\t", "\tx\t", "\tx\t"},  // a tab is no blank
      {" \n", "\n", "\n", " \n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.in);
    EXPECT_EQ(QuitarBlancos(c.in), c.both);
    EXPECT_EQ(QuitarBlancosIzq(c.in), c.left);
    EXPECT_EQ(QuitarBlancosDer(c.in), c.right);
    std::string enSitio = c.in;
    QuitarBlancosEn(enSitio);
    EXPECT_EQ(enSitio, c.both);
  }
}

TEST(Clipper, LeftAndRightCuts) {
  EXPECT_EQ(Izquierda("abc", 5), "abc");
  EXPECT_EQ(Izquierda("abc", 2), "ab");
  EXPECT_EQ(Izquierda("abc", 0), "");
  EXPECT_EQ(Izquierda("abc", -1), "");
  EXPECT_EQ(Derecha("abc", 1), "c");
  EXPECT_EQ(Derecha("abc", 3), "abc");
  EXPECT_EQ(Derecha("abc", 0), "");
  EXPECT_EQ(Derecha("", 1), "");
}

TEST(Clipper, InitialsTakeWordsOfFourOrMoreAndEverythingNearTheEnd) {
  struct Case { const char* in; const char* out; };
  const Case cases[] = {
      {"Lengua y Literatura", "L"},
      {"Lengua Castellana y Literatura II", "CLI"},
      {"Historia del Arte", "A"},
      {"Educacion Fisica de la", "Fl"},
      {"Matematicas", ""},
      {"A  B", " B"},
      {"", ""},
      {" ", ""},
      {"Ciencias de la Naturaleza", "N"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.in);
    EXPECT_EQ(Iniciales(c.in, " "), c.out);
  }
}

TEST(Cp1252, ConvertsBothWaysAndMarksWhatTheCodePageLacks) {
  const std::string utf8 = "F\xC3\xADsica \xE2\x82\xAC \xC5\x93 \xC3\xB1";  // Física € œ ñ
  const std::string w = text::utf8ToCp1252(utf8);
  EXPECT_EQ(w, "F\xEDsica \x80 \x9C \xF1");
  EXPECT_EQ(text::cp1252ToUtf8(w), utf8);
  EXPECT_EQ(text::utf8ToCp1252("\xC5\x81\xE4\xB8\xAD"), "??");  // Ł 中
  EXPECT_EQ(text::utf8ToCp1252("a\xFF" "b"), "a?b");             // a broken sequence
  // Into a string that held something longer, also from text closed by a NUL
  // (what the XML layer passes).
  for (const char* in : {"", "abc", utf8.c_str(), "\xC5\x81x"}) {
    std::string a = "restos de antes, largos", b = a;
    text::utf8ToCp1252(in, a);
    text::utf8ToCp1252(std::string_view(in), b);
    EXPECT_EQ(a, text::utf8ToCp1252(std::string_view(in))) << in;
    EXPECT_EQ(b, a) << in;
  }
  EXPECT_TRUE(text::isValidUtf8(utf8));
  EXPECT_FALSE(text::isValidUtf8("F\xEDsica"));
  EXPECT_FALSE(text::isValidUtf8("\xC0\xAF"));  // overlong
}

TEST(Cp1252, CaseFoldingCoversAccentedLetters) {
  EXPECT_TRUE(text::equalsNoCase("f\xE9sica", "F\xC9SICA"));  // é É
  EXPECT_TRUE(text::equalsNoCase("\x9C", "\x8C"));            // œ Œ
  EXPECT_FALSE(text::equalsNoCase("\xF7", "\xD7"));           // ÷ × are not letters
  EXPECT_FALSE(text::equalsNoCase("ab", "abc"));
  EXPECT_LT(text::compareNoCase(" 3 de", "12 de"), 0);  // a blank sorts before digits
  EXPECT_EQ(text::upperAscii("F\xEDsica"), "F\xEDSICA");  // only a..z are raised
}

}  // namespace
}  // namespace zi
