#include "xml/xml_document.h"

#include <bit>

#include <cstdint>
#include <cstring>
#include <functional>
#include <optional>
#include <utility>

#include "io/atomic_file.h"
#include "text/Clipper.h"
#include "text/cp1252.h"

namespace zi::xml {
namespace fs = std::filesystem;
namespace {

constexpr unsigned kParseFlags = pugi::parse_default | pugi::parse_declaration |
                                 pugi::parse_comments | pugi::parse_pi |
                                 pugi::parse_doctype;
constexpr char kIndent[] = "\t";

// ---------------------------------------------------------------- messages


// Line (from 1) of a byte offset; a line ends at LF, CR LF or a lone CR.
size_t lineAt(std::string_view text, size_t offset) {
  if (offset > text.size()) offset = text.size();
  size_t line = 1;
  for (size_t i = 0; i < offset; ++i) {
    if (text[i] == '\n') ++line;
    else if (text[i] == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n')) ++line;
  }
  return line;
}

[[noreturn]] void malformed(const std::string& what, std::string_view text, size_t offset,
                            const std::string& detail) {
  throw XmlError(what + ": XML mal formado en la línea " + std::to_string(lineAt(text, offset)) +
                 ": " + detail);
}

// ---------------------------------------------------------------- encodings

char asciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

std::string asciiLower(std::string_view s) {
  std::string out(s);
  for (auto& c : out) c = asciiLower(c);
  return out;
}

// The encoding an encoding name in a declaration stands for. Every name of
// UTF-16 gives Utf16LE, except an explicit big-endian one.
std::optional<Encoding> encodingNamed(std::string_view name) {
  const std::string n = asciiLower(name);
  if (n == "utf-8" || n == "utf8" || n == "us-ascii" || n == "ascii") return Encoding::Utf8;
  if (n == "iso-8859-1" || n == "iso8859-1" || n == "iso_8859-1" || n == "iso_8859-1:1987" ||
      n == "latin1" || n == "latin-1" || n == "l1" || n == "cp819" || n == "ibm819" ||
      n == "csisolatin1" || n == "iso-ir-100")
    return Encoding::Latin1;
  if (n == "windows-1252" || n == "cp1252" || n == "x-cp1252") return Encoding::Cp1252;
  if (n == "utf-16" || n == "utf16" || n == "utf-16le") return Encoding::Utf16LE;
  if (n == "utf-16be") return Encoding::Utf16BE;
  return std::nullopt;
}

bool isXmlSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// The value of the encoding pseudo-attribute of the declaration at the start
// of an ASCII-compatible text; nothing when there is no declaration or it
// names no encoding.
std::optional<std::string> declaredEncoding(std::string_view s) {
  if (s.size() < 6 || s.substr(0, 5) != "<?xml" || !isXmlSpace(s[5])) return std::nullopt;
  const size_t end = s.find("?>");
  if (end == std::string_view::npos) return std::nullopt;
  const std::string_view decl = s.substr(0, end);
  size_t i = 5;
  while (i < decl.size()) {
    while (i < decl.size() && isXmlSpace(decl[i])) ++i;
    const size_t nameStart = i;
    while (i < decl.size() && !isXmlSpace(decl[i]) && decl[i] != '=') ++i;
    const std::string_view name = decl.substr(nameStart, i - nameStart);
    while (i < decl.size() && isXmlSpace(decl[i])) ++i;
    if (name.empty() || i >= decl.size() || decl[i] != '=') return std::nullopt;
    ++i;
    while (i < decl.size() && isXmlSpace(decl[i])) ++i;
    if (i >= decl.size() || (decl[i] != '"' && decl[i] != '\'')) return std::nullopt;
    const char quote = decl[i++];
    const size_t valueEnd = decl.find(quote, i);
    if (valueEnd == std::string_view::npos) return std::nullopt;
    if (name == "encoding") return std::string(decl.substr(i, valueEnd - i));
    i = valueEnd + 1;
  }
  return std::nullopt;
}

// Offset of the first byte that does not start a well-formed UTF-8 sequence,
// or npos.
size_t firstBadUtf8(std::string_view s) {
  size_t i = 0;
  while (i < s.size()) {
    // Nearly all of a file is ASCII: skip it eight bytes at a time while none
    // of the eight has its high bit set.
    while (i + 8 <= s.size()) {
      std::uint64_t eight;
      std::memcpy(&eight, s.data() + i, 8);
      if (eight & 0x8080808080808080ULL) break;
      i += 8;
    }
    if (i >= s.size()) break;
    if (static_cast<unsigned char>(s[i]) < 0x80) { ++i; continue; }
    const size_t before = i;
    // A bad sequence decodes as U+FFFD advancing one byte; a real U+FFFD takes three.
    if (text::nextUtf8(s, i) == 0xFFFD && i - before != 3) return before;
  }
  return std::string_view::npos;
}

std::string decodeUtf16(std::string_view b, bool littleEndian, const std::string& what) {
  if (b.size() % 2 != 0) throw XmlError(what + ": el texto UTF-16 está cortado (número impar de bytes)");
  std::string out;
  out.reserve(b.size() / 2 + b.size() / 8);
  auto unit = [&](size_t k) -> char32_t {
    const auto lo = static_cast<unsigned char>(b[k + (littleEndian ? 0 : 1)]);
    const auto hi = static_cast<unsigned char>(b[k + (littleEndian ? 1 : 0)]);
    return static_cast<char32_t>(hi << 8 | lo);
  };
  for (size_t k = 0; k < b.size(); k += 2) {
    char32_t u = unit(k);
    if (u >= 0xD800 && u <= 0xDBFF && k + 2 < b.size()) {
      const char32_t next = unit(k + 2);
      if (next >= 0xDC00 && next <= 0xDFFF) {
        text::appendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (next - 0xDC00));
        k += 2;
        continue;
      }
    }
    if (u >= 0xD800 && u <= 0xDFFF)
      throw XmlError(what + ": el texto no es UTF-16 válido en la línea " +
                     std::to_string(lineAt(out, out.size())));
    text::appendUtf8(out, u);
  }
  return out;
}

void checkUtf8(std::string_view bytes, const std::string& what) {
  const size_t bad = firstBadUtf8(bytes);
  if (bad != std::string_view::npos)
    throw XmlError(what + ": el texto no es UTF-8 válido en la línea " +
                   std::to_string(lineAt(bytes, bad)));
}

void checkDeclaredName(const std::optional<std::string>& declared, const std::string& what) {
  if (declared && !encodingNamed(*declared))
    throw XmlError(what + ": no se puede leer la codificación \"" + *declared + "\"");
}

// A byte-order mark decides; then the look of UTF-16 (a '<' next to a zero
// byte); then the declaration; else UTF-8, or Windows-1252 when the bytes are
// not UTF-8 and nothing was declared. UTF-8 keeps the bytes' own buffer.
Decoded decode(std::string&& owned, const std::string& what) {
  Decoded d;
  const std::string_view bytes = owned;
  auto startsWith = [&](std::string_view p) { return bytes.substr(0, p.size()) == p; };
  std::optional<Encoding> marked;
  size_t bom = 0;
  if (startsWith("\xEF\xBB\xBF")) { marked = Encoding::Utf8; bom = 3; }
  else if (startsWith(std::string_view("\xFF\xFE\0\0", 4)) ||
           startsWith(std::string_view("\0\0\xFE\xFF", 4)))
    throw XmlError(what + ": no se puede leer la codificación UTF-32");
  else if (startsWith("\xFF\xFE")) { marked = Encoding::Utf16LE; bom = 2; }
  else if (startsWith("\xFE\xFF")) { marked = Encoding::Utf16BE; bom = 2; }
  else if (startsWith(std::string_view("<\0", 2))) marked = Encoding::Utf16LE;
  else if (startsWith(std::string_view("\0<", 2))) marked = Encoding::Utf16BE;

  if (marked) {
    const std::string_view body = bytes.substr(bom);
    d.encoding = *marked;
    if (*marked == Encoding::Utf8) {
      checkUtf8(body, what);
      owned.erase(0, bom);
      d.utf8 = std::move(owned);
    } else {
      d.utf8 = decodeUtf16(body, *marked == Encoding::Utf16LE, what);
    }
    // The declaration does not decide here, but saving writes what it names.
    checkDeclaredName(declaredEncoding(d.utf8), what);
    return d;
  }

  const auto declared = declaredEncoding(bytes);
  checkDeclaredName(declared, what);
  const std::optional<Encoding> named = declared ? encodingNamed(*declared) : std::nullopt;
  if (named == Encoding::Latin1) {
    d.encoding = Encoding::Latin1;
    d.utf8 = text::latin1ToUtf8(bytes);
  } else if (named == Encoding::Cp1252) {
    d.encoding = Encoding::Cp1252;
    d.utf8 = text::cp1252ToUtf8(bytes);
  } else if (named == Encoding::Utf8) {
    checkUtf8(bytes, what);
    d.utf8 = std::move(owned);
  } else {
    // Nothing declared, or UTF-16 declared over 8-bit bytes: the bytes decide.
    if (firstBadUtf8(bytes) == std::string_view::npos) {
      d.utf8 = std::move(owned);
    } else {
      d.encoding = Encoding::Cp1252;
      d.fellBack = true;
      d.utf8 = text::cp1252ToUtf8(bytes);
    }
  }
  return d;
}

// UTF-8 text to the bytes of `target`; a character the target lacks becomes
// a character reference.
std::string encode(std::string_view utf8, Encoding target) {
  if (target == Encoding::Utf8) return std::string(utf8);
  std::string out;
  if (target == Encoding::Utf16LE || target == Encoding::Utf16BE) {
    const bool le = target == Encoding::Utf16LE;
    out.reserve(utf8.size() * 2 + 2);
    auto put = [&](char32_t u) {
      const char lo = static_cast<char>(u & 0xFF), hi = static_cast<char>(u >> 8);
      if (le) { out += lo; out += hi; } else { out += hi; out += lo; }
    };
    put(0xFEFF);
    size_t i = 0;
    while (i < utf8.size()) {
      char32_t cp = text::nextUtf8(utf8, i);
      if (cp >= 0x10000) {
        cp -= 0x10000;
        put(0xD800 + (cp >> 10));
        put(0xDC00 + (cp & 0x3FF));
      } else {
        put(cp);
      }
    }
    return out;
  }
  out.reserve(utf8.size());
  size_t i = 0;
  while (i < utf8.size()) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    if (c < 0x80) { out += static_cast<char>(c); ++i; continue; }
    const char32_t cp = text::nextUtf8(utf8, i);
    const int b = target == Encoding::Latin1 ? (cp <= 0xFF ? static_cast<int>(cp) : -1)
                                             : text::unicodeToCp1252(cp);
    if (b >= 0) out += static_cast<char>(b);
    else out += "&#" + std::to_string(static_cast<unsigned long>(cp)) + ';';
  }
  return out;
}

// ---------------------------------------------------------------- paths

std::vector<std::string_view> stepsOf(std::string_view path) {
  std::vector<std::string_view> steps;
  size_t i = 0;
  while (i < path.size()) {
    size_t j = path.find('/', i);
    if (j == std::string_view::npos) j = path.size();
    if (j > i) steps.push_back(path.substr(i, j - i));
    i = j + 1;
  }
  return steps;
}

// Whether a name from pugixml (closed by a NUL) is `name`; no name holds a NUL.
bool named(const char* an, std::string_view name) {
  size_t i = 0;
  while (i < name.size() && an[i] == name[i] && name[i] != '\0') ++i;  // stops at the end of `an` too
  return i == name.size() && an[i] == '\0';
}

// Visits, in document order, the elements reached from `n` by the steps from
// `k` on; stops as soon as `visit` returns false. Returns false when stopped.
template <class Visit>
bool walk(pugi::xml_node n, const std::vector<std::string_view>& steps, size_t k, Visit& visit) {
  for (pugi::xml_node c = n.first_child(); c; c = c.next_sibling()) {
    if (c.type() != pugi::node_element || !named(c.name(), steps[k])) continue;
    if (k + 1 == steps.size()) {
      if (!visit(c)) return false;
    } else if (!walk(c, steps, k + 1, visit)) {
      return false;
    }
  }
  return true;
}

pugi::xml_attribute findAttr(pugi::xml_node n, std::string_view name) {
  for (pugi::xml_attribute a = n.first_attribute(); a; a = a.next_attribute())
    if (named(a.name(), name)) return a;
  return {};
}

struct StringWriter : pugi::xml_writer {
  std::string out;
  void write(const void* data, size_t size) override {
    out.append(static_cast<const char*>(data), size);
  }
};

// ---------------------------------------------------------------- files


}  // namespace

// ---------------------------------------------------------------- Element

std::string Element::name() const {
  return node_ ? text::utf8ToCp1252(node_.name()) : std::string();
}

std::string Element::attr(std::string_view name) const {
  const pugi::xml_attribute a = findAttr(node_, name);
  return a ? text::utf8ToCp1252(a.value()) : std::string();
}

AttrNames::AttrNames(std::initializer_list<std::string_view> names) : names_(names) {
  if (names_.size() > 64) throw std::invalid_argument("AttrNames: more than 64 names");
  for (std::size_t i = 0; i < names_.size(); ++i) {
    if (names_[i].empty()) continue;  // no attribute has the empty name
    all_ |= std::uint64_t{1} << i;
    byFirstByte_[static_cast<unsigned char>(names_[i][0])] |= std::uint64_t{1} << i;
  }
}

void Element::attrs(const AttrNames& names, std::string* values) const {
  for (std::size_t i = 0; i < names.size(); ++i) values[i].clear();
  // The names still looked for, one bit each; the first attribute of a name
  // counts, as for attr().
  std::uint64_t pendientes = names.all_;
  for (pugi::xml_attribute a = node_.first_attribute(); a && pendientes; a = a.next_attribute()) {
    const char* an = a.name();
    for (std::uint64_t m = names.byFirstByte_[static_cast<unsigned char>(an[0])] & pendientes; m; m &= m - 1) {
      const int i = std::countr_zero(m);
      if (!named(an, names.names_[static_cast<std::size_t>(i)])) continue;
      text::utf8ToCp1252(a.value(), values[i]);
      pendientes &= ~(std::uint64_t{1} << i);
    }
  }
}

std::string Element::trimmedAttr(std::string_view name) const { return QuitarBlancos(attr(name)); }

bool Element::hasAttr(std::string_view name) const {
  return static_cast<bool>(findAttr(node_, name));
}

void Element::setAttr(std::string_view name, std::string_view value1252) {
  if (!node_) return;
  pugi::xml_attribute a = findAttr(node_, name);
  if (!a) a = node_.append_attribute(text::cp1252ToUtf8(name).c_str());
  const std::string value = text::cp1252ToUtf8(value1252);
  a.set_value(value.c_str(), value.size());
}

Element Element::appendChild(std::string_view name) {
  if (!node_) return {};
  return Element(node_.append_child(text::cp1252ToUtf8(name).c_str()));
}

// ---------------------------------------------------------------- Document

Document::Document() : doc_(std::make_unique<pugi::xml_document>()) {}
Document::~Document() = default;
Document::Document(Document&&) noexcept = default;
Document& Document::operator=(Document&& o) noexcept {
  // The old nodes go before the text they point into.
  doc_ = std::move(o.doc_);
  text_ = std::move(o.text_);
  encoding_ = o.encoding_;
  fellBack_ = o.fellBack_;
  return *this;
}

Document Document::load(const fs::path& path) {
  std::string bytes;
  try {
    bytes = io::readAll(path);
  } catch (const io::FileError& e) {
    throw XmlError(e.what());
  }
  const std::string what = io::nombreArchivo(path);
  return fromText(decode(std::move(bytes), what), what, [&] { return decode(io::readAll(path), what).utf8; });
}

Document Document::parse(std::string_view bytes, const std::string& what) {
  return fromText(decode(std::string(bytes), what), what, [&] { return decode(std::string(bytes), what).utf8; });
}

Document Document::fromText(Decoded dec, const std::string& what, const std::function<std::string()>& again) {
  Document d;
  d.encoding_ = dec.encoding;
  d.fellBack_ = dec.fellBack;
  d.text_ = std::make_unique<std::string>(std::move(dec.utf8));
  std::string& src = *d.text_;

  if (src.find_first_not_of(" \t\r\n") == std::string::npos)
    throw XmlError(what + ": el archivo está vacío");
  // pugixml would take a zero character for the end of the text.
  if (const size_t nul = src.find('\0'); nul != std::string::npos)
    malformed(what, src, nul, "carácter nulo");

  // Parsed where it lies, with no copy: the nodes point into the text, which
  // lives as long as the document. The parse changes the text as it goes, so
  // the line of a fault is counted in the text decoded afresh.
  auto mal = [&](size_t offset, const std::string& detail) {
    std::string original;
    try {
      original = again();
    } catch (const std::exception&) {
      original = src;
    }
    malformed(what, original, offset, detail);
  };
  const pugi::xml_parse_result r =
      d.doc_->load_buffer_inplace(src.data(), src.size(), kParseFlags, pugi::encoding_utf8);
  if (r.status == pugi::status_no_document_element)
    throw XmlError(what + ": no tiene elemento raíz (se esperaba <centro>)");
  if (!r) mal(static_cast<size_t>(r.offset), r.description());

  pugi::xml_node root;
  for (pugi::xml_node n = d.doc_->first_child(); n; n = n.next_sibling()) {
    if (n.type() != pugi::node_element) continue;
    if (root) mal(static_cast<size_t>(n.offset_debug()), "hay más de un elemento raíz");
    root = n;
  }
  if (std::string_view(root.name()) != "centro")
    throw XmlError(what + ": el elemento raíz es <" + root.name() + ">, no <centro>");
  // Saving writes the encoding that the first declaration names, also one that
  // does not stand at the start and so did not decide the reading: a name we
  // cannot write stops the load, as one we cannot read does.
  for (pugi::xml_node n = d.doc_->first_child(); n; n = n.next_sibling()) {
    if (n.type() != pugi::node_declaration) continue;
    if (const pugi::xml_attribute enc = n.attribute("encoding")) checkDeclaredName(std::string(enc.value()), what);
    break;
  }
  return d;
}

std::vector<Element> Document::select(std::string_view path) const {
  std::vector<Element> out;
  const auto steps = stepsOf(path);
  if (!doc_ || steps.empty()) return out;
  auto visit = [&](pugi::xml_node n) { out.emplace_back(n); return true; };
  walk(*doc_, steps, 0, visit);
  return out;
}

void Document::forEach(std::string_view path, const std::function<void(const Element&)>& visit) const {
  const auto steps = stepsOf(path);
  if (!doc_ || steps.empty()) return;
  auto each = [&](pugi::xml_node n) {
    visit(Element(n));
    return true;
  };
  walk(*doc_, steps, 0, each);
}

Element Document::selectFirst(std::string_view path) const {
  Element found;
  const auto steps = stepsOf(path);
  if (!doc_ || steps.empty()) return found;
  auto visit = [&](pugi::xml_node n) { found = Element(n); return false; };
  walk(*doc_, steps, 0, visit);
  return found;
}

Element Document::root() const {
  return doc_ ? Element(doc_->document_element()) : Element();
}

Element Document::replaceRoot(std::string_view name) {
  const pugi::xml_node old = doc_->document_element();
  pugi::xml_node n = old ? doc_->insert_child_before(pugi::node_element, old)
                         : doc_->append_child(pugi::node_element);
  n.set_name(text::cp1252ToUtf8(name).c_str());
  if (old) doc_->remove_child(old);
  return Element(n);
}

std::string Document::serialize() const {
  if (!doc_) return {};
  Encoding target = Encoding::Utf8;
  for (pugi::xml_node n = doc_->first_child(); n; n = n.next_sibling()) {
    if (n.type() != pugi::node_declaration) continue;
    if (const pugi::xml_attribute enc = n.attribute("encoding")) {
      const auto named = encodingNamed(enc.value());
      if (!named)
        throw XmlError(std::string("No se puede escribir en la codificación \"") + enc.value() + "\"");
      target = *named;
    }
    break;
  }
  StringWriter w;
  doc_->save(w, kIndent, pugi::format_indent | pugi::format_no_declaration, pugi::encoding_utf8);
  return encode(w.out, target);
}

void Document::save(const fs::path& path) const {
  const std::string bytes = serialize();
  try {
    io::writeAtomically(path, bytes);
  } catch (const io::FileError& e) {
    throw XmlError(e.what());
  }
}

}  // namespace zi::xml
