// Our dBase table engine.
//
// A table is held whole in memory while a run works on it and is written back
// in one piece: to a temporary file in the same directory, then renamed over
// the old file, so that no failure ever leaves a half-written table.
//
// Rows are addressed by their record number, counted from 1 in file order and
// stable until the table is packed. Deleting only marks a row; packing removes
// the marked rows for good and renumbers the rest.
//
// Tables we create are written at the lowest dBase level that holds their field
// names: dBase III (version byte 0x03, 32-byte field descriptors, names of up
// to 10 characters) or dBase level 7 (version byte 0x04, 68-byte header with
// the language-driver name, 48-byte descriptors, names up to 31 characters).
// Both use only the types C, L and N, and hold text in Windows-1252.
//
// Tables written by other programs (the host's solution table) may be dBase
// III, dBase IV, dBase level 7 or FoxPro, with any of the usual field types;
// their fields can be read by name whatever their physical type.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace zi::dbf {

class DbfError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The logical types the working tables use.
enum class FieldType { Text, Logical, Float, Integer };

struct FieldDef {
  std::string name;
  FieldType type;
  int width;         // characters of the field in the file
  int decimals = 0;  // Float only
};

// A field as it stands in a file.
struct Field {
  std::string name;  // upper case as stored
  char type;         // 'C', 'N', 'F', 'L', 'D', 'I', 'O', '@', '+', ...
  int width;
  int decimals;
  int offset;        // byte offset within the record, after the deletion flag
};

enum class Level { DBase3, DBase7, Foreign };

// How a field's bytes are read and written, worked out once from its type and
// width (defined with the engine).
enum class Kind : std::uint8_t;

using RecNo = std::uint32_t;

class Table {
 public:
  // A new, empty table with these fields. The level is the lowest that holds
  // every field name (dBase III when all names have at most 10 characters).
  Table(std::string name, const std::vector<FieldDef>& defs);

  // A copy starts without the locate indexes (they are rebuilt on demand).
  Table(const Table& other);
  Table& operator=(const Table& other);
  Table(Table&&) = default;
  Table& operator=(Table&&) = default;

  // Reads a table file of any supported level. Any fault of the file (too
  // short, bad header, field list or record length that does not fit, fewer
  // records than the header claims) is a DbfError naming the file.
  static Table readFile(const std::filesystem::path& path);
  // The same from bytes in memory; `what` names the source in errors.
  static Table readBytes(std::string_view bytes, const std::string& what);

  // The file image: header, records with their flags, one 0x1A at the end.
  // The date of last update is today's unless setUpdateDate fixed it.
  // Only dBase III and level 7 tables are written: a table read from any other
  // layout (FoxPro, dBase IV, ...) is a DbfError here.
  std::string serialize() const;
  // The same image handed to `put` in pieces, the header first and then the
  // records a block at a time, as a file is written.
  void serializeTo(const std::function<void(std::string_view)>& put) const;
  void setUpdateDate(int year, int month, int day);

  // Writes the table to `path` through a temporary file in the same directory
  // and a rename. Throws DbfError naming the file on any failure; the old file
  // is then untouched and the temporary file removed.
  void writeFile(const std::filesystem::path& path) const;

  const std::string& name() const { return name_; }
  Level level() const { return level_; }
  const std::vector<Field>& fields() const { return fields_; }
  // Index of the field with this name (exact, upper case), or -1.
  int fieldIndex(std::string_view name) const;
  // As fieldIndex, but a missing field is a DbfError naming the table.
  int requireField(std::string_view name) const;

  // Number of rows in the file, deleted ones included: the highest RecNo.
  RecNo recordCount() const { return static_cast<RecNo>(deleted_.size()); }
  // Rows not marked as deleted.
  RecNo liveCount() const { return recordCount() - deletedCount_; }
  bool isDeleted(RecNo r) const;

  // Appends a blank row and returns its record number.
  RecNo append();
  // Appends a row holding the same values as row `from` and returns its
  // record number.
  RecNo appendCopy(RecNo from);
  // Makes room for `rows` rows in all, so that appending up to that many
  // moves nothing.
  void reserve(RecNo rows);
  // Marks a row deleted (it disappears from every locate).
  void remove(RecNo r);
  // Marks these rows deleted: the same as removing them one by one, but an
  // index that so many deletions would drop is dropped at once.
  void remove(const std::vector<RecNo>& rows);
  // Drops the marked rows for good; the others are renumbered from 1.
  void pack();

  // Reading. Text is the stored text without trailing blanks; a numeric field
  // gives its number written without needless zeros ("3", not "3.00"); a
  // logical field "T" or "F" (empty when blank); a binary field its value.
  std::string getText(RecNo r, int field) const;
  std::string getText(RecNo r, std::string_view field) const { return getText(r, requireField(field)); }
  // getText of a character field without a copy: a view of the record, valid
  // until the table next changes. Any other type of field is a DbfError.
  std::string_view textView(RecNo r, int field) const;
  double getFloat(RecNo r, int field) const;  // blank or unreadable: 0
  double getFloat(RecNo r, std::string_view field) const { return getFloat(r, requireField(field)); }
  long long getInteger(RecNo r, int field) const;  // whole part; blank: 0
  long long getInteger(RecNo r, std::string_view field) const { return getInteger(r, requireField(field)); }
  bool getLogical(RecNo r, int field) const;  // T, t, Y, y are true
  bool getLogical(RecNo r, std::string_view field) const { return getLogical(r, requireField(field)); }

  // Writing. A text longer than the field is stored cut to its width; the
  // empty text leaves the field blank. A number that does not fit its field
  // is a DbfError (never a silently wrong value).
  void setText(RecNo r, int field, std::string_view value);
  void setText(RecNo r, std::string_view field, std::string_view value) { setText(r, requireField(field), value); }
  void setFloat(RecNo r, int field, double value);
  void setFloat(RecNo r, std::string_view field, double value) { setFloat(r, requireField(field), value); }
  void setInteger(RecNo r, int field, long long value);
  void setInteger(RecNo r, std::string_view field, long long value) { setInteger(r, requireField(field), value); }
  void setLogical(RecNo r, int field, bool value);
  void setLogical(RecNo r, std::string_view field, bool value) { setLogical(r, requireField(field), value); }

  // The first live row, in file order, whose fields all equal the values
  // exactly (case counts, no partial match). `key` is one field name or several
  // joined by ";", one value per field. The stored text, cut to its field's
  // width and without its trailing blanks, is compared with the whole value,
  // so a value longer than its field never matches. A field of any other type
  // is compared by its getText form: a numeric field matches "3", not "3.00".
  //
  // Answered from an index built on the first call for that key and kept right
  // through append, edit and delete; packing, or deleting a quarter of the
  // rows it was built on, drops it, to be built again on the next call. So no
  // call scans the table but the one that builds an index, and a build costs
  // no more than the rows it indexes.
  std::optional<RecNo> locate(std::string_view key, const std::vector<std::string_view>& values) const {
    return locate(key, values.data(), values.size());
  }
  std::optional<RecNo> locate(std::string_view key, std::string_view value) const { return locate(key, &value, 1); }
  // locate("A;B", {"x", "y"}) would be ambiguous without this one.
  std::optional<RecNo> locate(std::string_view key, std::initializer_list<std::string_view> values) const {
    return locate(key, values.begin(), values.size());
  }

 private:
  // Rows by key hash: open addressing with linear probing over a table of a
  // power of two slots, at most half of them taken; a slot whose first row is
  // 0 is free. The live rows whose keys share one hash are kept in ascending
  // order: nearly every key has a single row, held in its slot; a set is made
  // only for a second one.
  // The rows after the first under one hash, ascending: a sorted list while
  // they are few, a set once they are many, so that neither building an index
  // over thousands of equal keys nor editing among them costs much.
  class MoreRows {
   public:
    bool empty() const { return many_ ? many_->empty() : few_.empty(); }
    void insert(RecNo r);
    void erase(RecNo r);
    RecNo takeFirst();  // removes and returns the lowest; not on an empty one
    // Visits the rows in ascending order until `f` returns true; returns that row, or 0.
    template <class F>
    RecNo findIf(F f) const {
      if (many_) {
        for (RecNo r : *many_)
          if (f(r)) return r;
      } else {
        for (RecNo r : few_)
          if (f(r)) return r;
      }
      return 0;
    }

   private:
    static constexpr std::size_t kFew = 64;
    std::vector<RecNo> few_;
    std::unique_ptr<std::set<RecNo>> many_;
  };

  class HashRows {
   public:
    void reserve(std::size_t n);
    // The first row under hash h (0 when none); `more` gets the rows after
    // it, or nullptr.
    RecNo find(std::uint64_t h, const MoreRows** more) const;
    void insert(std::uint64_t h, RecNo r);
    void erase(std::uint64_t h, RecNo r);  // the slot goes with its last row

   private:
    struct Slot {
      std::uint64_t hash = 0;
      RecNo first = 0;
      std::uint32_t more = 0;  // 1 + the place of the further rows in more_, or 0
    };
    std::size_t slotOf(std::uint64_t h) const;  // where h is, or the free slot it would take
    void rehash(std::size_t capacity);
    std::vector<Slot> slots_;
    std::size_t used_ = 0;
    std::vector<MoreRows> more_;
    std::vector<std::uint32_t> freeMore_;  // places in more_ free for reuse
  };
  // An index holds rows by the hash of their key (the getText of its fields);
  // locate compares the real values, so rows whose keys merely share a hash
  // are told apart.
  struct Index {
    std::vector<int> fields;
    std::vector<char> text;  // per field: compared as stored text (no getText)
    HashRows rows;
    RecNo built = 0;         // live rows when built
    RecNo removed = 0;       // rows deleted since
  };

  // Field names are looked up without building a std::string.
  struct NameHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
  };

  Table() = default;
  void copyFrom(const Table& other);
  void prepareFields();  // fills kinds_ and blank_ once the fields are known
  // Appends a record copied from `source` at byte `at` (blank_, or a row of
  // data_) and puts it in every index.
  RecNo appendRecord(const std::string& source, std::size_t at);
  // Forgets an index (to be built again when asked for); returns the next.
  std::map<std::string, Index, std::less<>>::iterator dropIndex(
      std::map<std::string, Index, std::less<>>::iterator it);
  bool binaryBigEndian() const;
  std::string_view raw(RecNo r, int field) const;
  char* rawMut(RecNo r, int field);
  // Called on every access: the test is inline, the message built out of line.
  void checkRow(RecNo r) const {
    if (r < 1 || r > recordCount()) rowOutOfRange(r);
  }
  [[noreturn]] void rowOutOfRange(RecNo r) const;
  // The hash of row r's key, and whether its key is `values`.
  std::uint64_t keyOf(const Index& ix, RecNo r) const;
  bool keyIs(const Index& ix, RecNo r, const std::string_view* values) const;
  std::optional<RecNo> locate(std::string_view key, const std::string_view* values, std::size_t count) const;
  // The key field as locate compares it: the stored text for text fields
  // (a view of the record), else getText (in `buffer`).
  std::string_view keyPart(const Index& ix, std::size_t i, const char* record, RecNo r, std::string& buffer) const;
  void unindex(RecNo r, int field);
  void reindex(RecNo r, int field);

  std::string name_;
  Level level_ = Level::DBase3;
  unsigned char version_ = 0x03;
  std::vector<Field> fields_;
  std::vector<Kind> kinds_;    // one per field
  std::unordered_map<std::string, int, NameHash, std::equal_to<>> byName_;
  int recordLength_ = 1;       // flag byte included
  std::string data_;           // records without their flag bytes
  std::string blank_;          // a new row: blanks, and zeros in binary fields
  std::vector<bool> deleted_;  // one per record
  RecNo deletedCount_ = 0;
  int year_ = 0, month_ = 0, day_ = 0;
  mutable std::map<std::string, Index, std::less<>> indexes_;
  mutable std::vector<std::vector<Index*>> indexesOfField_;
};

}  // namespace zi::dbf
