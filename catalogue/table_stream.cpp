#include "catalogue/table_stream.h"

#include <bit>
#include <cstdint>
#include <cstring>
#include <optional>
#include <utility>

#include "catalogue/extended_float.h"

namespace catalogue {
namespace {

enum Tag : std::uint8_t {
  kEndOfList = 0x00,
  kStartOfList = 0x01,
  kInt8 = 0x02,
  kInt16 = 0x03,
  kInt32 = 0x04,
  kExtended = 0x05,
  kString = 0x06,
  kFalse = 0x08,
  kTrue = 0x09,
  kLongString = 0x0C,
};

constexpr std::string_view kSignature = "TPF0";
constexpr int kVersion = 251;

class Writer {
 public:
  explicit Writer(std::string& out) : out_(out) {}
  void Tag(std::uint8_t tag) { out_.push_back(static_cast<char>(tag)); }
  void Integer(std::int32_t v) {
    if (v >= -128 && v <= 127) {
      Tag(kInt8);
      Bytes(v, 1);
    } else if (v >= -32768 && v <= 32767) {
      Tag(kInt16);
      Bytes(v, 2);
    } else {
      Tag(kInt32);
      Bytes(v, 4);
    }
  }
  void Text(std::string_view s) {
    if (s.size() <= 255) {
      Tag(kString);
      Bytes(static_cast<std::uint32_t>(s.size()), 1);
    } else {
      Tag(kLongString);
      Bytes(static_cast<std::uint32_t>(s.size()), 4);
    }
    out_.append(s);
  }
  void Boolean(bool v) { Tag(v ? kTrue : kFalse); }
  void Float(double v) {
    Tag(kExtended);
    const Extended e = ToExtended(v);
    out_.append(reinterpret_cast<const char*>(e.data()), e.size());
  }

 private:
  void Bytes(std::uint32_t v, int n) {
    for (int i = 0; i < n; ++i) out_.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
  }
  std::string& out_;
};

class Reader {
 public:
  explicit Reader(std::string_view in) : in_(in) {}

  std::uint8_t PeekTag() const {
    Need(1);
    return static_cast<std::uint8_t>(in_[pos_]);
  }
  void Signature() {
    if (in_.substr(0, kSignature.size()) != kSignature) throw StreamError("Invalid stream format");
    pos_ = kSignature.size();
  }
  void ListStart() { Expect(kStartOfList); }
  void ListEnd() { Expect(kEndOfList); }
  bool AtListEnd() const { return PeekTag() == kEndOfList; }

  std::int32_t Integer() {
    switch (TakeTag()) {
      case kInt8:
        return static_cast<std::int8_t>(Bytes(1));
      case kInt16:
        return static_cast<std::int16_t>(Bytes(2));
      case kInt32:
        return static_cast<std::int32_t>(Bytes(4));
    }
    throw StreamError("Invalid stream format");
  }
  std::string Text() {
    std::uint32_t length;
    switch (TakeTag()) {
      case kString:
        length = Bytes(1);
        break;
      case kLongString:
        length = Bytes(4);
        break;
      default:
        throw StreamError("Invalid stream format");
    }
    Need(length);
    std::string s(in_.substr(pos_, length));
    pos_ += length;
    return s;
  }
  bool Boolean() { return TakeTag() == kTrue; }
  double Float() {
    if (PeekTag() != kExtended) return Integer();
    ++pos_;
    Need(10);
    Extended e;
    for (size_t i = 0; i < e.size(); ++i) e[i] = static_cast<std::uint8_t>(in_[pos_ + i]);
    pos_ += e.size();
    return FromExtended(e);
  }

 private:
  void Need(size_t n) const {
    if (in_.size() - pos_ < n) throw StreamError("Stream read error");
  }
  std::uint8_t TakeTag() {
    const std::uint8_t tag = PeekTag();
    ++pos_;
    return tag;
  }
  void Expect(std::uint8_t tag) {
    if (TakeTag() != tag) throw StreamError("Invalid stream format");
  }
  std::uint32_t Bytes(int n) {
    Need(static_cast<size_t>(n));
    std::uint32_t v = 0;
    for (int i = 0; i < n; ++i)
      v |= std::uint32_t{static_cast<std::uint8_t>(in_[pos_ + i])} << (8 * i);
    pos_ += static_cast<size_t>(n);
    return v;
  }

  std::string_view in_;
  size_t pos_ = 0;
};

// A column of the stream and the record field it fills, if any.
struct Column {
  FieldType type;
  std::optional<Field> field;
};

FieldType ParseTypeName(const std::string& name) {
  for (FieldType type :
       {FieldType::Integer, FieldType::String, FieldType::Boolean, FieldType::DateTime})
    if (TypeName(type) == name) return type;
  throw StreamError("Unknown field type (" + name + ")");
}

std::vector<Column> ReadColumns(Reader& in, int version) {
  std::vector<Column> columns;
  in.ListStart();
  while (!in.AtListEnd()) {
    const std::string name = in.Text();
    const FieldType type = ParseTypeName(in.Text());
    in.Integer();                   // size
    in.Text();                      // label
    in.Text();                      // edit mask
    in.Integer();                   // display width
    in.Boolean();                   // required
    in.Boolean();                   // read-only
    if (version >= 250) in.Text();  // kind
    if (version >= 251) in.Text();  // reserved
    std::optional<Field> field = FieldByName(name);
    if (field && DefOf(*field).type != type) field.reset();
    columns.push_back({type, field});
  }
  in.ListEnd();
  if (columns.empty())  // the record's own columns stand
    for (int i = 0; i < kFieldCount; ++i)
      columns.push_back({DefOf(static_cast<Field>(i)).type, static_cast<Field>(i)});
  return columns;
}

void SkipIndexes(Reader& in) {
  in.ListStart();
  while (!in.AtListEnd()) {
    in.Text();  // name
    in.Text();  // fields
    in.Text();  // third text
    for (int i = 0; i < 4; ++i) in.Boolean();
  }
  in.ListEnd();
}

// One group of field values; stored into `record` when it is given.
void ReadValues(Reader& in, int version, const std::vector<Column>& columns, ObjRecord* record) {
  for (const Column& column : columns) {
    if (version >= 249 && in.Boolean()) continue;  // null
    FieldValue value;
    switch (column.type) {
      case FieldType::Integer:
        value = in.Integer();
        break;
      case FieldType::String:
        value = in.Text();
        break;
      case FieldType::Boolean:
        value = in.Boolean();
        break;
      case FieldType::DateTime: {
        const double d = in.Float();
        if (d != 0) value = d;
        break;
      }
    }
    if (record && column.field) record->Set(*column.field, value);
  }
}

}  // namespace

std::string WriteTableStream(const ObjTable& table) {
  std::string out;
  out.reserve(1024 + static_cast<size_t>(table.RecordCount()) * 160);
  Writer w(out);
  out.append(kSignature);
  w.Integer(kVersion);

  w.Tag(kStartOfList);
  for (int i = 0; i < kFieldCount; ++i) {
    const FieldDef& def = DefOf(static_cast<Field>(i));
    w.Text(def.name);
    w.Text(TypeName(def.type));
    w.Integer(def.size);
    w.Text(def.name);  // label
    w.Text("");        // edit mask
    w.Integer(def.displayWidth);
    w.Boolean(false);  // required
    w.Boolean(false);  // read-only
    w.Text("Data");
    w.Text("");  // reserved
  }
  w.Tag(kEndOfList);

  w.Tag(kStartOfList);  // no index definitions
  w.Tag(kEndOfList);

  w.Tag(kStartOfList);
  table.ForEach([&](const ObjRecord& record) {
    w.Tag(kStartOfList);
    w.Integer(0);  // update status
    for (int i = 0; i < kFieldCount; ++i) {
      const Field f = static_cast<Field>(i);
      const bool null = record.IsNull(f);
      w.Boolean(null);
      if (null) continue;
      switch (DefOf(f).type) {
        case FieldType::Integer:
          w.Integer(record.Integer(f));
          break;
        case FieldType::String:
          w.Text(record.Text(f));
          break;
        case FieldType::Boolean:
          w.Boolean(record.Boolean(f));
          break;
        case FieldType::DateTime:
          w.Float(record.DateTime(f));
          break;
      }
    }
    w.Tag(kEndOfList);
  });
  w.Tag(kEndOfList);
  return out;
}

std::vector<ObjRecord> ReadTableStream(std::string_view plain) {
  Reader in(plain);
  in.Signature();
  const int version = in.PeekTag() == kStartOfList ? 100 : in.Integer();
  const std::vector<Column> columns = ReadColumns(in, version);
  if (version >= 200) SkipIndexes(in);

  std::vector<ObjRecord> records;
  in.ListStart();
  while (!in.AtListEnd()) {
    ObjRecord record;
    if (version >= 230) {
      in.ListStart();
      in.Integer();  // update status
    }
    ReadValues(in, version, columns, &record);
    if (version >= 230) {
      while (!in.AtListEnd()) {  // older versions of the same record
        in.Integer();
        ReadValues(in, version, columns, nullptr);
      }
      in.ListEnd();
    }
    records.push_back(std::move(record));
  }
  in.ListEnd();
  return records;
}

namespace {

constexpr int kLanes = 8;

// Byte place, within a little- or big-endian 64-bit word, of the byte that
// lies `j` places before the end of a block of eight.
constexpr int PlaceFromEnd(int j) {
  return std::endian::native == std::endian::little ? kLanes - 1 - j : j;
}

// Keys blocks of eight bytes from the end of `data`, lane j keying the byte j
// places before the end of each block; the lane indices are constants, so the
// lanes stay in registers.
template <size_t... J>
size_t ScrambleBlocks(unsigned char* data, size_t left, std::uint32_t (&lane)[kLanes],
                      std::uint32_t multiplier, std::uint32_t increment,
                      std::index_sequence<J...>) {
  for (; left >= kLanes; left -= kLanes) {
    const std::uint64_t keys = ((std::uint64_t{lane[J] >> 24} << (8 * PlaceFromEnd(J))) | ...);
    ((lane[J] = lane[J] * multiplier + increment), ...);
    std::uint64_t block;
    std::memcpy(&block, data + left - kLanes, sizeof block);
    block ^= keys;
    std::memcpy(data + left - kLanes, &block, sizeof block);
  }
  return left;
}

}  // namespace

void Scramble(std::string& bytes) {
  // The keystream x(k+1) = a * x(k) + 1 runs from the last byte to the first.
  // Eight lanes, each jumping eight steps at a time (x(k+8) = a^8 * x(k) + c8),
  // give the same keys without one long chain of multiplications.
  constexpr std::uint32_t kMultiplier = 134775813u;
  std::uint32_t lane[kLanes];
  std::uint32_t state = 0x2D6B9F41u, jumpMultiplier = 1, jumpIncrement = 0;
  for (int j = 0; j < kLanes; ++j) {
    state = state * kMultiplier + 1u;
    lane[j] = state;
    jumpIncrement = jumpIncrement * kMultiplier + 1u;
    jumpMultiplier *= kMultiplier;
  }
  unsigned char* data = reinterpret_cast<unsigned char*>(bytes.data());
  size_t left = ScrambleBlocks(data, bytes.size(), lane, jumpMultiplier, jumpIncrement,
                               std::make_index_sequence<kLanes>());
  for (int j = 0; left > 0; ++j, --left)
    data[left - 1] ^= static_cast<unsigned char>(lane[j] >> 24);
}

}  // namespace catalogue
