#include "agent/event_log.h"

#include <string>

#include "common/uUtils.h"
#include "platform/clock.h"
#include "platform/datetime.h"

void WriteLog(std::string_view Text, int Level) {
  try {
    if (Level > RegReadInt("ELogLevel", 1)) return;
    if (RegRead("ESaveLog", "1") == "0") return;
    const std::string file = RegRead("ELogFileName", AppDir() + "sparkletide.log");
    std::string line = platform::FormatDateTime(platform::SystemClock().Now());
    line += ' ';
    line += Text;
    AppendLine(file, line);
  } catch (...) {
    // The log never reports its own failures: the line is lost.
  }
}
