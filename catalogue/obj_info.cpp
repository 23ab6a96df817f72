#include "catalogue/obj_info.h"

#include <vector>

#include "common/uUtils.h"
#include "platform/files.h"

namespace {

// Lines end at CR LF, LF or CR; a final line end adds no empty line.
std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::string line;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      lines.push_back(line);
      line.clear();
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      line += c;
    }
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

}  // namespace

ObjInfo ReadObjInfo(const std::string& Folder) {
  const std::string path = ObjectsDir() + Folder + "/" + "info.txt";
  ObjInfo info;
  info.ObjType = "D";
  info.ObjName = Folder;
  info.EnableDays = 1234567;
  info.MaxExecCount = 99999;
  if (!FileFound(path)) {
    info.MinExecInterval = 120;
    return info;
  }
  info.MinExecInterval = 600;
  const std::vector<std::string> lines = SplitLines(platform::ReadWholeFile(path));
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    switch (i + 1) {
      case 1:
        info.ObjType = line;
        break;
      case 2:
        info.BeginDate = StrToDateTimeOr0(line);
        break;
      case 3:
        info.EndDate = StrToDateTimeOr0(line);
        break;
      case 4:
        info.EnableDays = StrToIntDef(line, 1234567);
        break;
      case 5:
        info.MinExecInterval = StrToIntDef(line, 600);
        break;
      case 6:
        info.MaxExecCount = StrToIntDef(line, 99999);
        break;
      case 7:
        info.ObjName = line;
        break;
      default:
        if (!info.ObjDescription.empty())
          info.ObjDescription += "\r\n" + line;
        else if (!line.empty())
          info.ObjDescription = line;
    }
  }
  if (info.ObjType != "C" && info.ObjType != "S" && info.ObjType != "E" && info.ObjType != "H")
    info.ObjType = "D";
  if (info.ObjName.empty()) info.ObjName = Folder;
  return info;
}
