#include "catalogue/record_operations.h"

#include <string>

#include "agent/event_log.h"
#include "common/uUtils.h"

namespace catalogue {

void SetObjType(ObjTable& table, std::int32_t ObjID, std::string_view Type) {
  if (!table.Locate(Field::ObjID, ObjID)) return;
  table.Edit();
  table.SetText(Field::ObjType, Type);
  table.Post();
}

void SetObjEnabled(ObjTable& table, std::int32_t ObjID, bool Enabled) {
  if (!table.Locate(Field::ObjID, ObjID)) return;
  table.Edit();
  table.SetBoolean(Field::ObjEnabled, Enabled);
  table.Post();
  WriteLog("Set object " + PadId(ObjID) + " enabled = " + BoolText(Enabled), 1);
}

bool ChkObjName(ObjTable& table, std::int32_t ObjID) {
  return table.Locate(Field::ObjID, ObjID);
}

void SetObjRating(ObjTable& table, std::int32_t ObjID, std::int32_t Rating) {
  if (!table.Locate(Field::ObjID, ObjID)) return;
  table.Edit();
  table.SetInteger(Field::RatingTmp, Rating);
  table.SetInteger(Field::RatingConst, Rating);
  table.Post();
  WriteLog("Set object's " + PadId(ObjID) + " rating = " + std::to_string(Rating), 1);
}

bool CheckObjExists(ObjTable& table, std::int32_t ObjID, std::string_view CRC) {
  return table.Locate(Field::ObjID, ObjID) && table.Text(Field::ZipFileCRC32) == CRC;
}

void ClearStat(ObjTable& table) {
  for (table.First(); !table.Eof(); table.Next()) {
    if (table.Integer(Field::ScreeningCountTmp) == 0 && table.Integer(Field::RatingTmp) == 0)
      continue;
    table.Edit();
    table.SetInteger(Field::ScreeningCountTmp, 0);
    table.SetInteger(Field::RatingTmp, 0);
    table.Post();
  }
  WriteLog("Clear statistics", 2);
}

void ClearTableTmp(ObjTable& table) {
  for (table.First(); !table.Eof(); table.Next()) {
    const std::string zipFile = table.Text(Field::ZipFileName);
    const bool hasPackage = !zipFile.empty() && FileFound(zipFile);
    const std::string crc = hasPackage ? FileCRCText(zipFile) : std::string();
    table.Edit();
    for (Field f : {Field::ScreeningCountTmp, Field::ScreeningCountTotal, Field::RatingTmp,
                    Field::RatingConst})
      table.SetInteger(f, 0);
    table.SetDateTime(Field::BeginDate, 0);
    table.SetDateTime(Field::EndDate, 0);
    if (hasPackage) table.SetText(Field::ZipFileCRC32, crc);
    table.Post();
  }
}

}  // namespace catalogue
