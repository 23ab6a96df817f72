#include "catalogue/obj_record.h"

#include <stdexcept>

#include "platform/ascii.h"

namespace catalogue {
namespace {

struct Layout {
  FieldDef def;
  int slot;  // index into the record's array for the field's type
};

constexpr std::array<Layout, kFieldCount> kLayout = {{
    {{"ObjID", FieldType::Integer, 0, 10}, 0},
    {{"ObjName", FieldType::String, 50, 50}, 0},
    {{"ObjType", FieldType::String, 1, 1}, 1},
    {{"ObjDescription", FieldType::String, 240, 240}, 2},
    {{"ZipFileName", FieldType::String, 250, 250}, 3},
    {{"ZipFileCRC32", FieldType::String, 20, 20}, 4},
    {{"ScreeningCountTmp", FieldType::Integer, 0, 10}, 1},
    {{"ScreeningCountTotal", FieldType::Integer, 0, 10}, 2},
    {{"RatingTmp", FieldType::Integer, 0, 10}, 3},
    {{"RatingConst", FieldType::Integer, 0, 10}, 4},
    {{"ObjEnabled", FieldType::Boolean, 0, 5}, 0},
    {{"ObjPointer", FieldType::Integer, 0, 10}, 5},
    {{"BeginDate", FieldType::DateTime, 0, 10}, 0},
    {{"EndDate", FieldType::DateTime, 0, 10}, 1},
    {{"MinExecInterval", FieldType::Integer, 0, 10}, 6},
    {{"EnableDays", FieldType::Integer, 0, 10}, 7},
    {{"MaxExecCount", FieldType::Integer, 0, 10}, 8},
    {{"LastExecTime", FieldType::DateTime, 0, 10}, 2},
}};

const Layout& LayoutOf(Field field) {
  return kLayout[static_cast<size_t>(field)];
}

int SlotOf(Field field, FieldType type) {
  const Layout& layout = LayoutOf(field);
  if (layout.def.type != type)
    throw std::logic_error("Field '" + std::string(layout.def.name) + "' is not a " +
                           std::string(TypeName(type)) + " field");
  return layout.slot;
}


}  // namespace

const FieldDef& DefOf(Field field) {
  return LayoutOf(field).def;
}

std::optional<Field> FieldByName(std::string_view name) {
  for (int i = 0; i < kFieldCount; ++i)
    if (platform::EqualIgnoringCase(kLayout[i].def.name, name)) return static_cast<Field>(i);
  return std::nullopt;
}

std::string_view TypeName(FieldType type) {
  switch (type) {
    case FieldType::Integer:
      return "Integer";
    case FieldType::String:
      return "String";
    case FieldType::Boolean:
      return "Boolean";
    case FieldType::DateTime:
      return "DateTime";
  }
  return "";
}

std::int32_t ObjRecord::Integer(Field field) const {
  return integers_[SlotOf(field, FieldType::Integer)];
}

const std::string& ObjRecord::Text(Field field) const {
  return texts_[SlotOf(field, FieldType::String)];
}

bool ObjRecord::Boolean(Field field) const {
  SlotOf(field, FieldType::Boolean);
  return enabled_;
}

double ObjRecord::DateTime(Field field) const {
  return dates_[SlotOf(field, FieldType::DateTime)];
}

FieldValue ObjRecord::Get(Field field) const {
  if (IsNull(field)) return std::monostate{};
  switch (DefOf(field).type) {
    case FieldType::Integer:
      return Integer(field);
    case FieldType::String:
      return Text(field);
    case FieldType::Boolean:
      return Boolean(field);
    case FieldType::DateTime:
      return DateTime(field);
  }
  return std::monostate{};
}

void ObjRecord::SetInteger(Field field, std::int32_t value) {
  integers_[SlotOf(field, FieldType::Integer)] = value;
  MarkSet(field);
}

void ObjRecord::SetText(Field field, std::string_view value) {
  const int slot = SlotOf(field, FieldType::String);
  texts_[slot].assign(value.substr(0, static_cast<size_t>(DefOf(field).size)));
  MarkSet(field);
}

void ObjRecord::SetBoolean(Field field, bool value) {
  SlotOf(field, FieldType::Boolean);
  enabled_ = value;
  MarkSet(field);
}

void ObjRecord::SetDateTime(Field field, double value) {
  dates_[SlotOf(field, FieldType::DateTime)] = value;
  MarkSet(field);
}

void ObjRecord::SetNull(Field field) {
  // A null keeps the storage at its zero value, so that equal records compare equal.
  const Layout& layout = LayoutOf(field);
  switch (layout.def.type) {
    case FieldType::Integer:
      integers_[layout.slot] = 0;
      break;
    case FieldType::String:
      texts_[layout.slot].clear();
      break;
    case FieldType::Boolean:
      enabled_ = false;
      break;
    case FieldType::DateTime:
      dates_[layout.slot] = 0;
      break;
  }
  nulls_ |= 1u << int(field);
}

void ObjRecord::Set(Field field, const FieldValue& value) {
  const FieldType type = DefOf(field).type;
  if (std::holds_alternative<std::monostate>(value))
    SetNull(field);
  else if (type == FieldType::Integer && std::holds_alternative<std::int32_t>(value))
    SetInteger(field, std::get<std::int32_t>(value));
  else if (type == FieldType::String && std::holds_alternative<std::string>(value))
    SetText(field, std::get<std::string>(value));
  else if (type == FieldType::Boolean && std::holds_alternative<bool>(value))
    SetBoolean(field, std::get<bool>(value));
  else if (type == FieldType::DateTime && std::holds_alternative<double>(value))
    SetDateTime(field, std::get<double>(value));
  else if (type == FieldType::DateTime && std::holds_alternative<std::int32_t>(value))
    SetDateTime(field, std::get<std::int32_t>(value));
  else
    throw std::logic_error("Value of the wrong type for field '" + std::string(NameOf(field)) +
                           "'");
}

}  // namespace catalogue
