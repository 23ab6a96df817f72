#pragma once
// The catalogue record: eighteen typed fields, each of which may hold no value
// (null). Texts are bytes (cp1252) cut to the field's width when stored; a
// null reads as 0, empty text or false.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace catalogue {

enum class FieldType { Integer, String, Boolean, DateTime };

// Field order is the column order of the catalogue file.
enum class Field : int {
  ObjID,
  ObjName,
  ObjType,
  ObjDescription,
  ZipFileName,
  ZipFileCRC32,
  ScreeningCountTmp,
  ScreeningCountTotal,
  RatingTmp,
  RatingConst,
  ObjEnabled,
  ObjPointer,
  BeginDate,
  EndDate,
  MinExecInterval,
  EnableDays,
  MaxExecCount,
  LastExecTime,
};
inline constexpr int kFieldCount = 18;

struct FieldDef {
  std::string_view name;
  FieldType type;
  int size;          // width of a text field, 0 for the other types
  int displayWidth;  // written to the file's column list
};

const FieldDef& DefOf(Field field);
inline std::string_view NameOf(Field field) {
  return DefOf(field).name;
}
// Field names match without regard to ASCII letter case.
std::optional<Field> FieldByName(std::string_view name);
std::string_view TypeName(FieldType type);  // "Integer", "String", "Boolean", "DateTime"

// A field value for generic access: null, integer, date-time, boolean or text.
using FieldValue = std::variant<std::monostate, std::int32_t, double, bool, std::string>;

class ObjRecord {
 public:
  bool IsNull(Field field) const { return (nulls_ >> int(field)) & 1u; }

  // Typed reads; a null gives 0, empty text or false. Reading a field as the
  // wrong type raises std::logic_error.
  std::int32_t Integer(Field field) const;
  const std::string& Text(Field field) const;
  bool Boolean(Field field) const;
  double DateTime(Field field) const;
  FieldValue Get(Field field) const;  // std::monostate for a null

  void SetInteger(Field field, std::int32_t value);
  void SetText(Field field, std::string_view value);  // cut to the field's width
  void SetBoolean(Field field, bool value);
  void SetDateTime(Field field, double value);  // 0 is a value, not a null
  void SetNull(Field field);
  // Sets from a generic value of the field's type (an integer is accepted for
  // a date-time); std::monostate makes the field null.
  void Set(Field field, const FieldValue& value);

  bool operator==(const ObjRecord&) const = default;

 private:
  static constexpr std::uint32_t kAllNull = (1u << kFieldCount) - 1;
  void MarkSet(Field field) { nulls_ &= ~(1u << int(field)); }

  std::array<std::int32_t, 9> integers_{};
  std::array<std::string, 5> texts_;
  std::array<double, 3> dates_{};
  bool enabled_ = false;
  std::uint32_t nulls_ = kAllNull;
};

}  // namespace catalogue
