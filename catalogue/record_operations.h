#pragma once
// The small record operations of the main form over the catalogue table. Each
// one that takes an identifier moves the table's cursor to the first record
// with that `ObjID`; without such a record it changes and logs nothing. None of
// them saves the catalogue file.

#include <cstdint>
#include <string_view>

#include "catalogue/obj_table.h"

namespace catalogue {

void SetObjType(ObjTable& table, std::int32_t ObjID, std::string_view Type);
// Logs "Set object <PadId> enabled = true|false" (level 1).
void SetObjEnabled(ObjTable& table, std::int32_t ObjID, bool Enabled);
// True when a record has that identifier; the cursor stays on it.
bool ChkObjName(ObjTable& table, std::int32_t ObjID);
// Stores the rating in `RatingTmp` and `RatingConst` and logs
// "Set object's <PadId> rating = <Rating>" (level 1). Telling the rating
// dialog is the caller's step.
void SetObjRating(ObjTable& table, std::int32_t ObjID, std::int32_t Rating);
// True when the record exists and its `ZipFileCRC32` is exactly `CRC`.
bool CheckObjExists(ObjTable& table, std::int32_t ObjID, std::string_view CRC);
// Zeroes `ScreeningCountTmp` and `RatingTmp` where either is set, then logs
// "Clear statistics" (level 2).
void ClearStat(ObjTable& table);
// Zeroes counts, ratings and date windows of every record and refreshes
// `ZipFileCRC32` from the package file where it exists. Raises
// std::runtime_error when an existing package cannot be read.
void ClearTableTmp(ObjTable& table);

}  // namespace catalogue
