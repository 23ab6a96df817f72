#include "catalogue/package_install.h"

#include <algorithm>
#include <vector>

#include "agent/event_log.h"
#include "catalogue/catalogue_file.h"
#include "catalogue/obj_info.h"
#include "common/MiniZip.h"
#include "common/uUtils.h"
#include "platform/ascii.h"
#include "platform/files.h"

namespace catalogue {
namespace {

// Names in a folder, sorted so that the walk does not depend on the file system.
std::vector<std::string> Names(const std::string& folder) {
  std::vector<std::string> names = platform::FolderEntries(folder);
  std::sort(names.begin(), names.end());
  return names;
}

// A plain folder: a real directory (never a link) that is neither hidden nor read-only.
bool IsPlainFolder(const std::string& path) {
  const auto attributes = platform::Attributes(path);
  return attributes && attributes->directory && !attributes->hidden && !attributes->readOnly;
}

void UnpackMissingFolders(ObjTable& table, const Reconciliation& with) {
  const std::string zipDir = ObjectsDir() + "ZIP/";
  const bool empty = table.RecordCount() == 0;
  for (const std::string& name : Names(zipDir)) {
    if (name.size() <= 4 || name.compare(name.size() - 4, 4, ".zip") != 0) continue;
    const auto attributes = platform::Attributes(zipDir + name);
    if (!attributes || attributes->directory) continue;
    const std::string folderName = name.substr(0, name.size() - 4);
    const std::string folder = ObjectsDir() + folderName + "/";
    // Without a catalogue every package is unpacked afresh, except the
    // user's own effects (names beginning with "9").
    if (empty && folderName[0] != '9') DeleteDir(folder, "*.*");
    if (FileFound(ObjectsDir() + folderName) || !platform::MakeFolder(folder)) continue;
    // A package that cannot be read is passed over; the others still count.
    try {
      with.checkSignAndExtract(zipDir + name, folder);
    } catch (const std::exception& error) {
      WriteLog("Cannot check the package " + zipDir + name + ": " + error.what(), 0);
    }
  }
}

void AdoptFolder(ObjTable& table, const Reconciliation& with, const std::string& name,
                 bool& added) {
  const std::string package = ObjectsDir() + "ZIP/" + name + ".zip";
  const std::int32_t id = StrToIntDef(name, -1);
  if (table.Locate(Field::ObjID, id)) {
    // The package is rebuilt before the record is touched, so a failure
    // leaves no half-changed record behind.
    std::string rebuiltCRC;
    if (!FileFound(package)) {
      ZipFolder(ObjectsDir() + name + "/", "*.*", package, with.dialogs);
      WriteLog("File " + package + " not found. Created new", 0);
      if (FileFound(package)) rebuiltCRC = FileCRCText(package);
    }
    table.Edit();
    table.SetInteger(Field::ObjPointer, 0);
    if (!rebuiltCRC.empty()) {
      table.SetText(Field::ObjType, "D");
      table.SetText(Field::ZipFileName, package);
      table.SetText(Field::ZipFileCRC32, rebuiltCRC);
    }
    table.Post();
    return;
  }
  ObjInfo info;
  bool hasPackage = false;
  std::string crc;
  try {
    info = ReadObjInfo(name);
    hasPackage = FileFound(package);
    if (hasPackage) crc = FileCRCText(package);
  } catch (const std::exception& e) {
    // The folder stays as it is and is looked at again at the next start.
    WriteLog("Cannot adopt the folder " + ObjectsDir() + name + ": " + e.what(), 0);
    return;
  }
  added = true;
  const std::int32_t objId = id != -1 ? id : static_cast<std::int32_t>(with.clock.Tick());
  AddNewObject(table, objId, info.ObjName, hasPackage ? info.ObjType : "D", info.ObjDescription,
               hasPackage ? package : "", crc, info.MaxExecCount, info.EnableDays,
               info.MinExecInterval, info.BeginDate, info.EndDate);
}

}  // namespace

void AddNewObject(ObjTable& table, std::int32_t ObjID, const std::string& ObjName,
                  const std::string& ObjType, const std::string& ObjDescription,
                  const std::string& ZipFileName, const std::string& ZipFileCRC32,
                  std::int32_t MaxExecCount, std::int32_t EnableDays, std::int32_t MinExecInterval,
                  double BeginDate, double EndDate) {
  table.Append();
  table.SetInteger(Field::ObjID, ObjID);
  table.SetText(Field::ObjName, ObjName);
  table.SetText(Field::ObjType, ObjType);
  table.SetText(Field::ObjDescription, ObjDescription);
  table.SetText(Field::ZipFileName, ZipFileName);
  table.SetText(Field::ZipFileCRC32, ZipFileCRC32);
  for (Field f : {Field::RatingTmp, Field::RatingConst, Field::ScreeningCountTmp,
                  Field::ScreeningCountTotal, Field::ObjPointer})
    table.SetInteger(f, 0);
  table.SetDateTime(Field::LastExecTime, 0);
  table.SetBoolean(Field::ObjEnabled, ObjType != "C");
  table.SetDateTime(Field::BeginDate, BeginDate);
  table.SetDateTime(Field::EndDate, EndDate);
  table.SetInteger(Field::MinExecInterval, MinExecInterval);
  table.SetInteger(Field::MaxExecCount, MaxExecCount);
  table.SetInteger(Field::EnableDays, EnableDays);
  table.Post();
  WriteLog("Add new object " + PadId(ObjID) + " (" + ObjName + ")", 1);
}

bool DeleteObject(ObjTable& table, std::int32_t ObjID,
                  const std::function<void(std::int32_t)>& stopRunner) {
  if (!table.Locate(Field::ObjID, ObjID)) return false;
  if (table.Integer(Field::ObjPointer) != 0) stopRunner(ObjID);
  // Stopping the runner may have moved the cursor.
  table.Locate(Field::ObjID, ObjID);
  std::string package = table.Text(Field::ZipFileName);
  WriteLog("Delete object " + PadId(ObjID), 1);
  table.Delete();
  DeleteDir(ObjectsDir() + PadId(ObjID) + "/", "*.*");
  if (package.empty() || !FileFound(package))
    package = ObjectsDir() + "ZIP/" + PadId(ObjID) + ".zip";
  if (FileFound(package)) platform::RemoveFile(package);
  return true;
}

void CreateObjList(ObjTable& table, const Reconciliation& with) {
  LoadObjList(table);
  UnpackMissingFolders(table, with);

  for (table.First(); !table.Eof(); table.Next()) {
    table.Edit();
    table.SetInteger(Field::ObjPointer, -1);
    table.Post();
  }
  WriteLog("Check objects list", 1);

  bool added = false;
  for (const std::string& name : Names(ObjectsDir())) {
    if (platform::EqualIgnoringCase(name, "ZIP") || platform::EqualIgnoringCase(name, "DEMO") ||
        !IsPlainFolder(ObjectsDir() + name))
      continue;
    AdoptFolder(table, with, name, added);
  }

  for (table.First(); !table.Eof();) {
    if (table.Integer(Field::ObjPointer) == -1)
      table.Delete();
    else
      table.Next();
  }
  if (added) SaveObjList(table);
}

}  // namespace catalogue
