// The ITACA XML document: decoding, reading, writing and saving.
#include "xml/xml_document.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <fstream>
#include <set>
#include <sstream>

#include "xml/itaca_paths.h"

namespace {

namespace fs = std::filesystem;
namespace it = zi::itaca;
using zi::xml::Document;
using zi::xml::Element;
using zi::xml::Encoding;
using zi::xml::XmlError;

std::string fixture(const std::string& name) { return std::string(ZI_TEST_DATA) + "/xml/" + name; }

std::string readBytes(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// A fresh directory for one test, removed with everything in it afterwards.
class TempDir {
 public:
  TempDir() {
    static std::atomic<int> n{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    path_ = fs::temp_directory_path() /
            ("zi_xml_test_" + std::to_string(stamp) + "_" + std::to_string(n++));
    fs::create_directories(path_);
  }
  ~TempDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  const fs::path& path() const { return path_; }
  fs::path write(const std::string& name, std::string_view bytes) const {
    const fs::path p = path_ / name;
    std::ofstream(p, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return p;
  }
  std::set<std::string> entries() const {
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(path_)) names.insert(e.path().filename().string());
    return names;
  }

 private:
  fs::path path_;
};

// The message of the XmlError that `f` throws; fails the test when it throws none.
template <class F>
std::string errorOf(F f) {
  try {
    f();
  } catch (const XmlError& e) {
    return e.what();
  }
  ADD_FAILURE() << "no XmlError thrown";
  return {};
}

// ------------------------------------------------------------ decoding

// What every encoding of the small school in tests/data/xml must read to, in
// Windows-1252.
struct Expected {
  std::string_view path;
  size_t index;
  std::string_view attr;
  std::string value;
};
const std::vector<Expected> kSchool = {
    {it::kCentro, 0, it::centro::denominacion, "IES Llu\xEDs Vives"},
    {it::kDocentes, 0, it::docente::nombre, "Jos\xE9 Bego\xF1" "a"},
    {it::kDocentes, 0, it::docente::apellido1, "Ib\xE1\xF1" "ez"},
    {it::kDocentes, 0, it::docente::apellido2, "G\xFC" "ell"},
    {it::kDocentes, 1, it::docente::nombre, "Llu\xEFsa"},
    {it::kDocentes, 1, it::docente::apellido1, "Castell\xF3"},
    {it::kDocentes, 1, it::docente::apellido2, "M\xFArcia Ferr\xE0ndiz"},
    {it::kDocentes, 2, it::docente::nombre, "Merc\xE8"},
    {it::kDocentes, 2, it::docente::apellido1, "Pu\xE7ol"},
    {it::kDocentes, 2, it::docente::apellido2, "S\xF2ria"},
    {it::kContenidos, 0, it::contenido::nombre_cas, "F\xEDsica y Qu\xEDmica"},
    {it::kContenidos, 0, it::contenido::curso, " 1ESO "},
    {it::kOcupaciones, 0, it::ocupacion::nombre_cas, "Cobro 5 \x80 \xB7 C\x9Cur"},
};

void expectSchool(const Document& doc) {
  for (const auto& e : kSchool) {
    const auto found = doc.select(e.path);
    ASSERT_GT(found.size(), e.index) << e.path;
    EXPECT_EQ(found[e.index].attr(e.attr), e.value) << e.path << " #" << e.index << " @" << e.attr;
  }
  EXPECT_EQ(doc.select(it::kDocentes).size(), 3u);
}

struct EncodedSchool {
  const char* file;
  Encoding encoding;
  bool fellBack;
};

void PrintTo(const EncodedSchool& p, std::ostream* os) { *os << p.file; }

class SchoolInEveryEncoding : public ::testing::TestWithParam<EncodedSchool> {};

TEST_P(SchoolInEveryEncoding, ReadsToTheSameWindows1252Texts) {
  const auto& p = GetParam();
  const Document doc = Document::load(fixture(p.file));
  EXPECT_EQ(doc.encoding(), p.encoding);
  EXPECT_EQ(doc.fellBackTo1252(), p.fellBack);
  EXPECT_EQ(doc.root().name(), "centro");
  expectSchool(doc);
}

// Saving writes what the declaration names (UTF-8 when it names nothing), and
// that file reads back the same, without falling back.
TEST_P(SchoolInEveryEncoding, SavedCopyReadsBackTheSame) {
  TempDir dir;
  const fs::path out = dir.path() / "copia.xml";
  Document::load(fixture(GetParam().file)).save(out);
  const Document again = Document::load(out);
  EXPECT_FALSE(again.fellBackTo1252());
  expectSchool(again);
}

INSTANTIATE_TEST_SUITE_P(
    Files, SchoolInEveryEncoding,
    ::testing::Values(EncodedSchool{"escuela_utf8.xml", Encoding::Utf8, false},
                      EncodedSchool{"escuela_utf8_bom.xml", Encoding::Utf8, false},
                      EncodedSchool{"escuela_latin1.xml", Encoding::Latin1, false},
                      EncodedSchool{"escuela_cp1252.xml", Encoding::Cp1252, false},
                      EncodedSchool{"escuela_utf16le.xml", Encoding::Utf16LE, false},
                      EncodedSchool{"escuela_utf16be.xml", Encoding::Utf16BE, false},
                      EncodedSchool{"escuela_utf16le_sin_bom.xml", Encoding::Utf16LE, false},
                      EncodedSchool{"escuela_sin_declarar_1252.xml", Encoding::Cp1252, true},
                      EncodedSchool{"escuela_version_1252.xml", Encoding::Cp1252, true}),
    [](const auto& info) {
      std::string n = info.param.file;
      return n.substr(0, n.find('.'));
    });

TEST(XmlDecoding, DeclaredNamesAreCaseInsensitiveAliases) {
  struct Case {
    const char* name;
    Encoding encoding;
  };
  for (const Case& c : {Case{"utf-8", Encoding::Utf8}, Case{"UTF8", Encoding::Utf8},
                        Case{"iso-8859-1", Encoding::Latin1}, Case{"LATIN1", Encoding::Latin1},
                        Case{"ISO_8859-1", Encoding::Latin1}, Case{"l1", Encoding::Latin1},
                        Case{"Windows-1252", Encoding::Cp1252}, Case{"CP1252", Encoding::Cp1252},
                        Case{"x-cp1252", Encoding::Cp1252}}) {
    // 'é' as one byte reads as é in the 8-bit encodings; as UTF-8 it must be two.
    const bool eightBit = c.encoding != Encoding::Utf8;
    const std::string bytes = std::string("<?xml version='1.0' encoding='") + c.name +
                              "'?><centro n=\"" + (eightBit ? "\xE9" : "\xC3\xA9") + "\"/>";
    const Document doc = Document::parse(bytes, "x.xml");
    EXPECT_EQ(doc.encoding(), c.encoding) << c.name;
    EXPECT_EQ(doc.root().attr("n"), "\xE9") << c.name;
  }
}

TEST(XmlDecoding, LatinOneDeclaredReadsHighBytesAsLatinOneNotAsWindows1252) {
  // 0xE9 is é in both; byte 0x80 is a control character in ISO-8859-1, which
  // Windows-1252 cannot hold (only the character reference gives the euro).
  const Document doc = Document::parse(
      "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><centro a=\"\xE9\x80\" b=\"&#8364;\"/>", "x.xml");
  EXPECT_EQ(doc.root().attr("a"), "\xE9?");
  EXPECT_EQ(doc.root().attr("b"), "\x80");
}

TEST(XmlDecoding, CharactersOutsideWindows1252BecomeQuestionMarks) {
  // Ł (U+0141) and 中 (U+4E2D) in UTF-8; the emoji needs a surrogate pair in
  // UTF-16 and must still give a single '?'.
  const std::string utf8 = "<centro a=\"\xC5\x81\xC3\xB3" "d\xC5\xBA\" b=\"\xE4\xB8\xAD\" c=\"x\xF0\x9F\x98\x80y\"/>";
  const Document fromUtf8 = Document::parse(utf8, "x.xml");
  EXPECT_EQ(fromUtf8.root().attr("a"), "?\xF3" "d?");
  EXPECT_EQ(fromUtf8.root().attr("b"), "?");
  EXPECT_EQ(fromUtf8.root().attr("c"), "x?y");

  std::string utf16 = "\xFF\xFE";
  for (char16_t u : std::u16string(u"<?xml version=\"1.0\" encoding=\"UTF-16\"?>"
                                   u"<centro c=\"x\U0001F600y\" d=\"\u20AC\"/>")) {
    utf16 += static_cast<char>(u & 0xFF);
    utf16 += static_cast<char>(u >> 8);
  }
  const Document doc = Document::parse(utf16, "x.xml");
  EXPECT_EQ(doc.root().attr("c"), "x?y");
  EXPECT_EQ(doc.root().attr("d"), "\x80");
  // Saved again in UTF-16, the emoji is the same surrogate pair.
  EXPECT_NE(doc.serialize().find(std::string("x\0\x3D\xD8\x00\xDEy\0", 8)), std::string::npos);
}

TEST(XmlDecoding, OneMultiMegabyteLineLoads) {
  // Real exports are one line of several megabytes; anything slower than
  // linear would not finish.
  std::string bytes = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><centro><docentes>";
  const int n = 60000;
  for (int i = 0; i < n; ++i)
    bytes += "<docente documento=\"" + std::to_string(i) +
             "\" nombre=\"Mar\xED" "a Jos\xE9\" apellido1=\" \" apellido2=\"Ib\xE1\xF1" "ez\" email1=\" \"/>";
  bytes += "</docentes></centro>";
  ASSERT_GT(bytes.size(), 5'000'000u);
  const Document doc = Document::parse(bytes, "grande.xml");
  const auto docentes = doc.select(it::kDocentes);
  ASSERT_EQ(docentes.size(), static_cast<size_t>(n));
  EXPECT_EQ(docentes.back().attr(it::docente::documento), std::to_string(n - 1));
  EXPECT_EQ(docentes.back().attr(it::docente::nombre), "Mar\xED" "a Jos\xE9");
  EXPECT_EQ(docentes.back().attr(it::docente::apellido1), " ");

  // A fault at the very end of the long line is reported on that line.
  bytes.resize(bytes.size() - 3);
  const std::string msg = errorOf([&] { Document::parse(bytes, "grande.xml"); });
  EXPECT_NE(msg.find("línea 1:"), std::string::npos) << msg;
}

// ------------------------------------------------------------ errors

TEST(XmlErrors, BadFilesNameTheFileAndTheFault) {
  struct Case {
    const char* what;
    std::string bytes;
    std::vector<std::string> inMessage;
  };
  const std::vector<Case> cases = {
      {"truncated", "<?xml version=\"1.0\"?>\n<centro>\n<docentes>\n<docente nombre=\"Ana",
       {"XML mal formado en la línea 4"}},
      {"mismatched tags", "<centro>\n<docentes>\n</grupos>\n</centro>\n",
       {"XML mal formado en la línea 3"}},
      {"CR LF lines", "<centro>\r\n<a>\r\n\r\n</b>\r\n</centro>\r\n", {"línea 4"}},
      {"two roots", "<centro/>\n<centro/>\n", {"línea 2", "más de un elemento raíz"}},
      {"wrong root", "<?xml version=\"1.0\"?>\n<escuela codigo=\"1\"/>", {"<escuela>", "<centro>"}},
      {"only a declaration", "<?xml version=\"1.0\"?>\n", {"elemento raíz"}},
      {"empty", "", {"vacío"}},
      {"blank", " \r\n\t\n", {"vacío"}},
      {"EBCDIC", "<?xml version=\"1.0\" encoding=\"EBCDIC\"?><centro/>", {"EBCDIC"}},
      {"Shift_JIS", "<?xml version='1.0' encoding='Shift_JIS'?><centro/>", {"Shift_JIS"}},
      {"UTF-8 declared, not UTF-8", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<centro\n a=\"\xE9\"/>",
       {"UTF-8", "línea 3"}},
      {"odd UTF-16", std::string("\xFF\xFE<\0c\0e", 7), {"UTF-16"}},
      // pugixml alone would stop reading at the zero and accept the file.
      {"zero byte after the root", std::string("<centro/>\n\0<centro>\n", 21), {"línea 2"}},
  };
  TempDir dir;
  for (const auto& c : cases) {
    const fs::path file = dir.write("roto.xml", c.bytes);
    const std::string msg = errorOf([&] { Document::load(file); });
    EXPECT_NE(msg.find(file.string()), std::string::npos) << c.what << ": " << msg;
    for (const auto& part : c.inMessage)
      EXPECT_NE(msg.find(part), std::string::npos) << c.what << ": " << msg;
  }
}

// The line is counted in the decoded text: 'é' is one byte in ISO-8859-1 but
// two in UTF-8, and every character is two bytes in UTF-16.
TEST(XmlErrors, LineOfAParseErrorIsCountedInTheDecodedText) {
  std::string latin1 = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<centro a=\"";
  latin1 += std::string(200, '\xE9');
  latin1 += "\">\n</grupos>\n\n\n\n\n\n\n\n\n\n</centro>\n";
  std::string msg = errorOf([&] { Document::parse(latin1, "a.xml"); });
  EXPECT_NE(msg.find("a.xml: XML mal formado en la línea 3:"), std::string::npos) << msg;

  const std::u16string text = u"<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n<centro>\n\n<a></b>\n\n\n\n</centro>";
  std::string utf16 = "\xFE\xFF";
  for (char16_t u : text) {
    utf16 += static_cast<char>(u >> 8);
    utf16 += static_cast<char>(u & 0xFF);
  }
  msg = errorOf([&] { Document::parse(utf16, "b.xml"); });
  EXPECT_NE(msg.find("b.xml: XML mal formado en la línea 4:"), std::string::npos) << msg;
}

TEST(XmlErrors, MissingFileNamesTheFile) {
  TempDir dir;
  const fs::path missing = dir.path() / "no_esta.xml";
  const std::string msg = errorOf([&] { Document::load(missing); });
  EXPECT_EQ(msg.rfind("No se puede leer " + missing.string() + ": ", 0), 0u) << msg;
}

// ------------------------------------------------------------ reading

TEST(XmlReading, AttributesAreUntrimmedAndMissingOnesAreEmpty) {
  const Document doc = Document::parse(
      "<centro><cursos><curso codigo=\" 1ESO \" abreviatura=\" \" padre=\"\"/></cursos></centro>", "x.xml");
  const Element curso = doc.selectFirst(it::kCursos);
  ASSERT_TRUE(curso.valid());
  EXPECT_EQ(curso.attr(it::curso::codigo), " 1ESO ");
  EXPECT_EQ(curso.attr(it::curso::abreviatura), " ");
  EXPECT_EQ(curso.attr(it::curso::padre), "");
  EXPECT_TRUE(curso.hasAttr(it::curso::padre));
  EXPECT_EQ(curso.attr(it::curso::ensenanza), "");
  EXPECT_FALSE(curso.hasAttr(it::curso::ensenanza));
  // An invalid element reads as empty rather than failing.
  EXPECT_EQ(Element().attr("codigo"), "");
  EXPECT_EQ(Element().name(), "");
}

TEST(XmlReading, SelectFollowsDocumentOrderAcrossParents) {
  const Document doc = Document::parse(
      "<centro>"
      "<docentes><docente documento=\"1\"/><grupo codigo=\"x\"/><docente documento=\"2\"/></docentes>"
      "<grupos><docente documento=\"no\"/><grupo codigo=\"G1\"/></grupos>"
      "<docentes><docente documento=\"3\"/></docentes>"
      "<otro><docentes><docente documento=\"no\"/></docentes></otro>"
      "<docentes/>"
      "<docentes><docente documento=\"4\"><docente documento=\"no\"/></docente></docentes>"
      "</centro>",
      "x.xml");
  std::vector<std::string> docs;
  for (const Element& e : doc.select(it::kDocentes)) docs.push_back(e.attr(it::docente::documento));
  EXPECT_EQ(docs, (std::vector<std::string>{"1", "2", "3", "4"}));
  EXPECT_EQ(doc.selectFirst(it::kDocentes).attr(it::docente::documento), "1");
  EXPECT_EQ(doc.selectFirst(it::kGrupos).attr(it::grupo::codigo), "G1");
  EXPECT_TRUE(doc.select(it::kAulas).empty());
  EXPECT_FALSE(doc.selectFirst(it::kAulas).valid());
  EXPECT_TRUE(doc.select("/escuela/docentes/docente").empty());
}

// ------------------------------------------------------------ writing

struct OutputCase {
  const char* name;
  const char* declaration;  // "" for none
  Encoding reread;
  std::string euroAs;  // how the euro sign appears in the bytes
};

void PrintTo(const OutputCase& p, std::ostream* os) { *os << p.name; }

class WrittenValue : public ::testing::TestWithParam<OutputCase> {};

// A Windows-1252 value set on the document is saved in the declared encoding
// and reads back unchanged.
TEST_P(WrittenValue, SurvivesSaveAndReload) {
  const auto& p = GetParam();
  const std::string source = std::string(p.declaration) + "\n<centro><x/></centro>\n";
  Document doc = Document::parse(source, "x.xml");
  const std::string value = "F\xEDsica \x80 \x9C";
  const std::string tricky = "a&b <c> \"d\" 'e'\tf\ng ]]> \x81";
  Element root = doc.replaceRoot(it::element::centro);
  Element horarios = root.appendChild(it::element::horarios_grupo);
  Element h = horarios.appendChild(it::element::horario_grupo);
  h.setAttr(it::horario_grupo::contenido, value);
  h.setAttr(it::horario_grupo::idioma, tricky);

  const std::string bytes = doc.serialize();
  EXPECT_NE(bytes.find(p.euroAs), std::string::npos);

  TempDir dir;
  const fs::path out = dir.path() / "salida.xml";
  doc.save(out);
  EXPECT_EQ(readBytes(out), bytes);
  const Document again = Document::load(out);
  EXPECT_EQ(again.encoding(), p.reread);
  EXPECT_FALSE(again.fellBackTo1252());
  const Element back = again.selectFirst(it::kHorariosGrupo);
  EXPECT_EQ(back.attr(it::horario_grupo::contenido), value);
  EXPECT_EQ(back.attr(it::horario_grupo::idioma), tricky);
  EXPECT_FALSE(again.selectFirst("/centro/x").valid());
}

INSTANTIATE_TEST_SUITE_P(
    Encodings, WrittenValue,
    ::testing::Values(
        OutputCase{"sin_declaracion", "", Encoding::Utf8, "\xE2\x82\xAC"},
        OutputCase{"sin_encoding", "<?xml version=\"1.0\"?>", Encoding::Utf8, "\xE2\x82\xAC"},
        OutputCase{"utf8", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>", Encoding::Utf8,
                   "F\xC3\xADsica \xE2\x82\xAC"},
        OutputCase{"latin1", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>", Encoding::Latin1,
                   "F\xEDsica &#8364; &#339;"},
        OutputCase{"cp1252", "<?xml version=\"1.0\" encoding=\"windows-1252\"?>", Encoding::Cp1252,
                   "F\xEDsica \x80 \x9C"},
        OutputCase{"utf16", "<?xml version=\"1.0\" encoding=\"UTF-16\"?>", Encoding::Utf16LE,
                   std::string("\xFF\xFE<\0?\0x\0m\0l\0", 12)}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(XmlWriting, SavedFileKeepsTheDeclarationAndTopLevelNodesInPlace) {
  const std::string source =
      "<?xml version=\"1.0\" encoding=\"windows-1252\" standalone=\"yes\"?>\n"
      "<!-- exportado -->\n<?marca orden=\"1\"?>\n"
      "<centro codigo=\"1\"><docentes><docente/></docentes></centro>\n"
      "<!-- fin -->\n";
  Document doc = Document::parse(source, "x.xml");
  Element root = doc.replaceRoot(it::element::centro);
  EXPECT_EQ(doc.root().name(), "centro");
  root.setAttr("version", "2");
  root.setAttr("codigo", "46");
  root.setAttr("curso", "2024");
  root.setAttr("version", "3");  // replaced in its place

  const std::string out = doc.serialize();
  EXPECT_EQ(out.rfind("<?xml version=\"1.0\" encoding=\"windows-1252\" standalone=\"yes\"?>", 0), 0u) << out;
  std::vector<size_t> at;
  for (const char* part : {"<!-- exportado -->", "<?marca orden=\"1\"?>",
                           "<centro version=\"3\" codigo=\"46\" curso=\"2024\"", "<!-- fin -->"}) {
    at.push_back(out.find(part));
    EXPECT_NE(at.back(), std::string::npos) << part << " missing in\n" << out;
  }
  EXPECT_TRUE(std::is_sorted(at.begin(), at.end())) << out;
  EXPECT_EQ(out.find("docente"), std::string::npos) << out;
  EXPECT_EQ(out.find("<?xml", 1), std::string::npos) << "a second declaration in\n" << out;
}

TEST(XmlWriting, NewRootOnAnEmptyDocumentIsWrittenAsUtf8) {
  Document doc;
  Element root = doc.replaceRoot(it::element::centro);
  root.appendChild(it::element::horarios_ocupaciones)
      .appendChild(it::element::horario_ocupacion)
      .setAttr(it::horario_ocupacion::docente, "Jos\xE9");
  const std::string out = doc.serialize();
  EXPECT_EQ(out.find("<?xml"), std::string::npos) << out;
  const Document again = Document::parse(out, "x.xml");
  EXPECT_EQ(again.selectFirst(it::kHorariosOcupaciones).attr(it::horario_ocupacion::docente), "Jos\xE9");
}

// ------------------------------------------------------------ saving

TEST(XmlSaving, ReplacesAnExistingTargetAndLeavesNoTemporaryFile) {
  TempDir dir;
  const fs::path target = dir.write("centro.xml", "contenido anterior, mucho m\xE1s largo que el nuevo documento");
  Document doc = Document::parse("<centro a=\"1\"/>", "x.xml");
  doc.save(target);
  EXPECT_EQ(Document::load(target).root().attr("a"), "1");
  EXPECT_EQ(dir.entries(), std::set<std::string>{"centro.xml"});
}

TEST(XmlSaving, FailureNamesThePathAndLeavesNothingBehind) {
  TempDir dir;
  const Document doc = Document::parse("<centro/>", "x.xml");

  const fs::path intoMissingDir = dir.path() / "no_existe" / "centro.xml";
  std::string msg = errorOf([&] { doc.save(intoMissingDir); });
  EXPECT_NE(msg.find(intoMissingDir.string()), std::string::npos) << msg;
  EXPECT_TRUE(dir.entries().empty());

  // The target is a directory: the temporary file is written, the rename
  // fails, and the temporary file must go.
  fs::create_directory(dir.path() / "carpeta.xml");
  fs::create_directory(dir.path() / "carpeta.xml" / "dentro");
  msg = errorOf([&] { doc.save(dir.path() / "carpeta.xml"); });
  EXPECT_NE(msg.find("carpeta.xml"), std::string::npos) << msg;
  EXPECT_EQ(dir.entries(), std::set<std::string>{"carpeta.xml"});
}

}  // namespace
