#pragma once
// The effect info file "info.txt" that every effect folder carries.

#include <cstdint>
#include <string>

struct ObjInfo {
  std::string ObjType;
  std::string ObjName;
  std::string ObjDescription;
  std::int32_t MaxExecCount = 0;
  std::int32_t EnableDays = 0;
  std::int32_t MinExecInterval = 0;
  double BeginDate = 0;
  double EndDate = 0;
};

// Reads ObjectsDir + folder + "/info.txt". Lines that cannot be used give
// their defaults; a missing file gives the values of an effect without one.
// Raises std::runtime_error when the file exists but cannot be read.
ObjInfo ReadObjInfo(const std::string& Folder);
