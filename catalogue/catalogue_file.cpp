#include "catalogue/catalogue_file.h"

#include <exception>

#include "agent/event_log.h"
#include "catalogue/table_stream.h"
#include "common/uUtils.h"
#include "platform/files.h"

namespace catalogue {
namespace {

bool FileMatches(const std::string& path, const std::string& crc, std::string* bytes) {
  if (!FileFound(path)) return false;
  try {
    *bytes = platform::ReadWholeFile(path);
  } catch (const std::exception&) {
    return false;
  }
  return CRC32Text(*bytes) == crc;
}

// A save that stopped after `DBCRC` but before the back copy left only the
// main file matching `DBCRC`. Bring the back copy level before the main file
// is replaced, so that one of the two matches `DBCRC` at every moment.
void LevelBackCopy(const std::string& mainFile, const std::string& backFile) {
  const std::string dbcrc = RegRead("DBCRC", "");
  std::string bytes;
  if (dbcrc.empty() || FileMatches(backFile, dbcrc, &bytes)) return;
  if (FileMatches(mainFile, dbcrc, &bytes)) platform::WriteFileDurably(backFile, bytes);
}

}  // namespace

std::string MainFilePath() {
  return ObjectsDir() + "ObjList.db";
}
std::string BackCopyPath() {
  return ObjectsDir() + "ZIP/ObjList.db";
}

std::string EncodeCatalogueFile(const ObjTable& table) {
  std::string bytes = WriteTableStream(table);
  Scramble(bytes);
  return bytes;
}

std::vector<ObjRecord> DecodeCatalogueFile(std::string stored) {
  Scramble(stored);
  return ReadTableStream(stored);
}

void SaveObjList(const ObjTable& table) {
  const std::string bytes = EncodeCatalogueFile(table);
  const std::string crc = CRC32Text(bytes);
  LevelBackCopy(MainFilePath(), BackCopyPath());
  platform::WriteFileDurably(MainFilePath(), bytes);
  RegWrite("DBCRC", crc);
  platform::WriteFileDurably(BackCopyPath(), bytes);
  WriteLog("Save objects DB", 1);
}

void LoadObjList(ObjTable& table) {
  const std::string mainFile = MainFilePath();
  const std::string backFile = BackCopyPath();
  const bool mainExists = FileFound(mainFile);
  if (!mainExists && !FileFound(backFile)) {
    table.Empty();
    return;
  }
  try {
    const std::string dbcrc = RegRead("DBCRC", "");
    WriteLog("Load objects DB", 1);
    std::string buffer;
    bool useBackCopy = !mainExists;
    if (mainExists) {
      buffer = platform::ReadWholeFile(mainFile);
      if (!dbcrc.empty() && CRC32Text(buffer) != dbcrc) {
        WriteLog("DB CRC is fail", 0);
        useBackCopy = true;
      }
    }
    if (useBackCopy) {
      WriteLog("Load objects DB from back copy", 0);
      buffer = platform::ReadWholeFile(backFile);
      if (!dbcrc.empty() && CRC32Text(buffer) != dbcrc) {
        WriteLog("Back DB CRC is fail", 0);
        buffer.clear();
      }
    }
    if (buffer.empty())
      table.Empty();
    else
      table.Assign(DecodeCatalogueFile(std::move(buffer)));
  } catch (const std::exception&) {
    table.Empty();
  }
}

}  // namespace catalogue
