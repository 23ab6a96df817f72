// The main form's catalogue operations: the file, the reconciliation with the
// effects folder, the record operations and the signature checks.

#include "agent/UMain.h"
#include "agent/event_log.h"
#include "catalogue/catalogue_file.h"
#include "catalogue/package_install.h"
#include "catalogue/record_operations.h"
#include "common/uUtils.h"
#include "download/signed_package.h"
#include "playback/URating.h"

void TFMain::SaveObjList() {
  catalogue::SaveObjList(dObjList);
}

void TFMain::LoadObjList() {
  catalogue::LoadObjList(dObjList);
}

void TFMain::CreateObjList() {
  const catalogue::Reconciliation with{
      [this](const std::string& package, const std::string& folder) {
        return CheckSignAndExtractZipFile(package, folder);
      },
      services_.dialogs, services_.clock};
  catalogue::CreateObjList(dObjList, with);
}

void TFMain::SetObjType(std::int32_t ObjID, const std::string& Type) {
  catalogue::SetObjType(dObjList, ObjID, Type);
}

void TFMain::SetObjEnabled(std::int32_t ObjID, bool Enabled) {
  catalogue::SetObjEnabled(dObjList, ObjID, Enabled);
}

bool TFMain::ChkObjName(std::int32_t ObjID) {
  return catalogue::ChkObjName(dObjList, ObjID);
}

void TFMain::SetObjRating(std::int32_t ObjID, std::int32_t Rating) {
  catalogue::SetObjRating(dObjList, ObjID, Rating);
  // An open rating panel for this effect shows the new rating.
  if (FRating && FRating->Timer1.isActive() && FRating->ObjId == ObjID)
    FRating->SetRating(5 - Rating);
}

bool TFMain::CheckObjExists(std::int32_t ObjID, const std::string& CRC) {
  return catalogue::CheckObjExists(dObjList, ObjID, CRC);
}

void TFMain::ClearStat() {
  catalogue::ClearStat(dObjList);
}

void TFMain::ClearTableTmp() {
  catalogue::ClearTableTmp(dObjList);
}

void TFMain::AddNewObject(std::int32_t ObjID, const std::string& ObjName,
                          const std::string& ObjType, const std::string& ObjDescription,
                          const std::string& ZipFileName, const std::string& ZipFileCRC32,
                          std::int32_t MaxExecCount, std::int32_t EnableDays,
                          std::int32_t MinExecInterval, double BeginDate, double EndDate) {
  catalogue::AddNewObject(dObjList, ObjID, ObjName, ObjType, ObjDescription, ZipFileName,
                          ZipFileCRC32, MaxExecCount, EnableDays, MinExecInterval, BeginDate,
                          EndDate);
}

bool TFMain::DeleteObject(std::int32_t ObjID) {
  return catalogue::DeleteObject(dObjList, ObjID,
                                 [this](std::int32_t id) { StopBrowserWin(id, true); });
}

bool TFMain::CheckSign(std::string_view Buffer, std::string_view SignatureText) {
  return rsa.CheckSign(Buffer, SignatureText);
}

bool TFMain::CheckSignAndExtractZipFile(const std::string& ZipFileName, const std::string& Folder) {
  return ::CheckSignAndExtractZipFile(rsa, ZipFileName, Folder, AppDir() + "pTmp.zip");
}
