#pragma once
// Effects as folders and packages on disk, and their records: adding and
// removing an effect, and the start-up reconciliation of the catalogue with
// the effects folder.

#include <cstdint>
#include <functional>
#include <string>

#include "catalogue/obj_table.h"
#include "platform/clock.h"
#include "platform/dialogs.h"

namespace catalogue {

// Appends a record for an effect and logs "Add new object <PadId> (<name>)".
// A permanent effect ("C") starts disabled, every other kind enabled.
void AddNewObject(ObjTable& table, std::int32_t ObjID, const std::string& ObjName,
                  const std::string& ObjType, const std::string& ObjDescription,
                  const std::string& ZipFileName, const std::string& ZipFileCRC32,
                  std::int32_t MaxExecCount, std::int32_t EnableDays, std::int32_t MinExecInterval,
                  double BeginDate, double EndDate);

// Removes the effect's record, folder and package file; `stopRunner` ends its
// runner first when it plays. False, touching nothing, when no record has
// the identifier.
bool DeleteObject(ObjTable& table, std::int32_t ObjID,
                  const std::function<void(std::int32_t)>& stopRunner);

struct Reconciliation {
  // Checks a signed package and unpacks it into a folder (ending in "/"). It
  // may raise when the package cannot be read: that package is logged at
  // level 0 and passed over.
  std::function<bool(const std::string& package, const std::string& folder)> checkSignAndExtract;
  platform::Dialogs& dialogs;    // for the folder packer's messages
  const platform::Clock& clock;  // identifiers of folders whose name is no number
};

// Loads the catalogue and brings it in line with the effects folder: unpacks
// packages whose folder is missing, adopts folders without a record, rebuilds
// missing packages, drops records whose folder is gone, and saves when
// records were added.
void CreateObjList(ObjTable& table, const Reconciliation& with);

}  // namespace catalogue
