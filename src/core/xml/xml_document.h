// Access to an ITACA XML document.
//
// Loading decides the encoding (a byte-order mark, else the declaration, else
// UTF-8, falling back to Windows-1252 when an undeclared file is not valid
// UTF-8), parses the whole file and insists on a root element `centro`. A file
// that is missing, cannot be decoded, is not well-formed or has another root is
// an XmlError naming the file (and the line, for a parse error): a run stops
// before it changes anything.
//
// Reading hands out elements in document order by absolute path of plain child
// steps; attribute values come back as Windows-1252 text (untrimmed), and a
// missing attribute reads as the empty text.
//
// Writing replaces the root element and builds new elements; saving keeps the
// declaration and the other top-level nodes, writes the encoding that the
// declaration names (UTF-8 when none) and replaces the target file through a
// temporary file and a rename.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include <pugixml.hpp>

namespace zi::xml {

class XmlError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

enum class Encoding { Utf8, Utf16LE, Utf16BE, Latin1, Cp1252 };

// A file's text as UTF-8, and how it was read (what loading hands to the
// parser).
struct Decoded {
  std::string utf8;
  Encoding encoding = Encoding::Utf8;
  bool fellBack = false;
};

// Attribute names read together from many elements (Element::attrs): at most
// 64, each with the bit of its place, found by their first byte.
class AttrNames {
 public:
  AttrNames(std::initializer_list<std::string_view> names);
  std::size_t size() const { return names_.size(); }

 private:
  friend class Element;
  std::vector<std::string_view> names_;
  std::uint64_t all_ = 0;
  std::array<std::uint64_t, 256> byFirstByte_{};
};

// One element of the document. Cheap to copy; valid while its document lives.
class Element {
 public:
  Element() = default;
  explicit Element(pugi::xml_node n) : node_(n) {}
  bool valid() const { return static_cast<bool>(node_); }
  std::string name() const;
  // The attribute's value in Windows-1252, as it stands (not trimmed);
  // the empty text when the element has no such attribute.
  std::string attr(std::string_view name) const;
  // attr() without leading and trailing blanks, as the runs read values.
  std::string trimmedAttr(std::string_view name) const;
  // attr() of several names at once, in one pass over the element's
  // attributes: values[i] for the i-th name.
  void attrs(const AttrNames& names, std::string* values) const;
  bool hasAttr(std::string_view name) const;

  // Writing: sets (adds after the existing ones, or replaces) an attribute;
  // the value is Windows-1252 text.
  void setAttr(std::string_view name, std::string_view value1252);
  // Appends a new child element and returns it.
  Element appendChild(std::string_view name);

 private:
  friend class Document;
  pugi::xml_node node_;
};

class Document {
 public:
  Document();
  ~Document();
  Document(Document&&) noexcept;
  Document& operator=(Document&&) noexcept;

  // Loads and checks a file (see above). Throws XmlError.
  static Document load(const std::filesystem::path& path);
  // The same from bytes in memory; `what` names the source in errors.
  static Document parse(std::string_view bytes, const std::string& what);

  // Elements matching an absolute path such as "/centro/docentes/docente",
  // in document order; empty when nothing matches.
  std::vector<Element> select(std::string_view path) const;
  // Calls `visit` with each element matching the path, in document order, as
  // the walk reaches it (nothing gathered first).
  void forEach(std::string_view path, const std::function<void(const Element&)>& visit) const;
  // The first element matching the path, or an invalid element.
  Element selectFirst(std::string_view path) const;
  Element root() const;

  // The encoding the file was read in, and whether it was read as
  // Windows-1252 because it declared nothing and was not valid UTF-8.
  Encoding encoding() const { return encoding_; }
  bool fellBackTo1252() const { return fellBack_; }

  // Removes the root element and puts a new, empty one named `name` in its
  // place; the other top-level nodes stay where they were.
  Element replaceRoot(std::string_view name);

  // The whole document as the bytes of a file in the encoding its declaration
  // names (UTF-8 when none). Characters the encoding lacks are written as
  // character references.
  std::string serialize() const;
  // Writes serialize() through a temporary file and a rename. Throws XmlError.
  void save(const std::filesystem::path& path) const;

 private:
  // Parses the decoded text in place; `again` decodes it afresh, for the line
  // of a fault.
  static Document fromText(Decoded text, const std::string& what, const std::function<std::string()>& again);

  // The text the nodes point into; declared first, so that it goes last.
  std::unique_ptr<std::string> text_;
  std::unique_ptr<pugi::xml_document> doc_;
  Encoding encoding_ = Encoding::Utf8;
  bool fellBack_ = false;
  friend class Element;
};

}  // namespace zi::xml
