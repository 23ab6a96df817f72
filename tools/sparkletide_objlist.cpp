// sparkletide-objlist: looks into a catalogue file ("ObjList.db" or its back
// copy) and writes one from JSON lines.

#include <cstdio>
#include <exception>
#include <iostream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "catalogue/catalogue_file.h"
#include "catalogue/table_stream.h"
#include "common/uUtils.h"
#include "platform/files.h"
#include "tools/objlist_json.h"

namespace {

constexpr std::string_view kUsage =
    "Usage:\n"
    "  sparkletide-objlist dump FILE [--plain]\n"
    "      Prints the records of a catalogue file as JSON lines, one record a line.\n"
    "      --plain reads a file that is not scrambled (the bare table stream).\n"
    "  sparkletide-objlist check FILE --crc TEXT\n"
    "      Says whether the file matches the DBCRC text TEXT and loads.\n"
    "  sparkletide-objlist encode JSONL OUT\n"
    "      Writes the catalogue file OUT from JSON lines (fields left out are null)\n"
    "      and prints its DBCRC text.\n"
    "Exit status: 0 on success, 1 on a bad or mismatching file, 2 on bad usage.\n";

struct UsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// The records of a catalogue file's `bytes`; `file` names it in errors.
std::vector<catalogue::ObjRecord> Decode(std::string bytes, const std::string& file, bool plain) {
  try {
    return plain ? catalogue::ReadTableStream(bytes)
                 : catalogue::DecodeCatalogueFile(std::move(bytes));
  } catch (const catalogue::StreamError& e) {
    throw std::runtime_error(file + " is not a catalogue file: " + e.what());
  }
}

int Dump(const std::vector<std::string>& args) {
  std::string file;
  bool plain = false;
  for (const std::string& arg : args) {
    if (arg == "--plain")
      plain = true;
    else if (file.empty())
      file = arg;
    else
      throw UsageError("dump takes one FILE");
  }
  if (file.empty()) throw UsageError("dump needs a FILE");
  for (const catalogue::ObjRecord& record : Decode(platform::ReadWholeFile(file), file, plain))
    std::cout << objlist::RecordToJson(record) << '\n';
  if (!std::cout.flush()) throw std::runtime_error("cannot write the records");
  return 0;
}

int Check(const std::vector<std::string>& args) {
  if (args.size() != 3 || args[1] != "--crc") throw UsageError("check needs FILE --crc TEXT");
  const std::string& file = args[0];
  const std::string& expected = args[2];
  std::string bytes = platform::ReadWholeFile(file);
  const std::string actual = CRC32Text(bytes);
  if (actual != expected)
    throw std::runtime_error(file + " does not match DBCRC " + expected + " (its CRC is " + actual +
                             ")");
  const size_t records = Decode(std::move(bytes), file, false).size();
  std::cout << file << " matches DBCRC " << expected << " (" << records << " records)\n";
  return 0;
}

int Encode(const std::vector<std::string>& args) {
  if (args.size() != 2) throw UsageError("encode needs JSONL OUT");
  std::string input = platform::ReadWholeFile(args[0]);
  std::vector<catalogue::ObjRecord> records;
  size_t lineNo = 0;
  for (size_t start = 0; start < input.size();) {
    size_t end = input.find('\n', start);
    if (end == std::string::npos) end = input.size();
    std::string_view line(input.data() + start, end - start);
    ++lineNo;
    start = end + 1;
    if (line.find_first_not_of(" \t\r") == std::string_view::npos) continue;
    try {
      records.push_back(objlist::RecordFromJson(line));
    } catch (const std::exception& e) {
      throw std::runtime_error(args[0] + " line " + std::to_string(lineNo) + ": " + e.what());
    }
  }
  catalogue::ObjTable table;
  table.Assign(std::move(records));
  const std::string bytes = catalogue::EncodeCatalogueFile(table);
  platform::WriteFileDurably(args[1], bytes);
  std::cout << "Wrote " << table.RecordCount() << " records to " << args[1] << ", DBCRC "
            << CRC32Text(bytes) << '\n';
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> all(argv + 1, argv + argc);
  if (all.empty() || all[0] == "--help" || all[0] == "-h") {
    std::cout << kUsage;
    return all.empty() ? 2 : 0;
  }
  const std::vector<std::string> args(all.begin() + 1, all.end());
  try {
    if (all[0] == "dump") return Dump(args);
    if (all[0] == "check") return Check(args);
    if (all[0] == "encode") return Encode(args);
    throw UsageError("unknown command '" + all[0] + "'");
  } catch (const UsageError& e) {
    std::cerr << "sparkletide-objlist: " << e.what() << " (see --help)\n";
    return 2;
  } catch (const std::exception& e) {
    std::cerr << "sparkletide-objlist: " << e.what() << '\n';
    return 1;
  }
}
