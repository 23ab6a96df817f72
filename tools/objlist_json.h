#pragma once
// Catalogue records as JSON lines: one object per record, keys named after the
// fields, texts converted between cp1252 and UTF-8, date-times as day counts,
// null for a field without a value.

#include <string>
#include <string_view>

#include "catalogue/obj_record.h"

namespace objlist {

std::string RecordToJson(const catalogue::ObjRecord& record);
// Raises std::runtime_error for a line that is not such an object. Fields the
// line leaves out are null.
catalogue::ObjRecord RecordFromJson(std::string_view line);

// Raises std::runtime_error for text that is not UTF-8 (overlong forms
// included) or a character that cp1252 cannot hold.
std::string Utf8ToCp1252(std::string_view text);

}  // namespace objlist
