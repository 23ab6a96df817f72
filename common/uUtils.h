#pragma once
// Small functions shared by every part of the agent: the settings key, files
// and folders, CRC and size texts, identifiers, dates, and the uninstall pieces.
// Texts are single-byte strings (cp1252), as everywhere in the logic.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// The program folder (folder of the running executable) and the effects
// folder below it, both with a trailing "/". Set once at start-up.
const std::string& AppDir();
const std::string& ObjectsDir();
void SetAppDir(const std::string& dir);

// Registry keys the agent uses.
inline constexpr std::string_view kClientKey = "Software\\sparkletide\\Client";
inline constexpr std::string_view kUninstallKey = "Software\\Uninstall\\sparkletide";

// Settings key access. RegRead gives `Default` for a missing or empty value and
// raises platform::RegistryError for a value that is not a string.
std::string RegRead(std::string_view Name, std::string_view Default);
// A number setting: `Default` also for a value that is not a number.
std::int32_t RegReadInt(std::string_view Name, std::int32_t Default);
void RegWrite(std::string_view Name, std::string_view Value);

// True when `Name` exists (a folder counts); a name with wildcards in its last
// part is true when anything matches.
bool FileFound(const std::string& Name);
// Deletes what matches `Mask` in `Folder` (ending in "/") recursively, then the
// folder. Hidden or read-only folders and read-only files stay, and so does
// the folder that holds them.
void DeleteDir(const std::string& Folder, const std::string& Mask);
// Appends `Text` and CR LF to the file, creating it; any failure loses the line.
void AppendLine(const std::string& FileName, std::string_view Text);

// The zip CRC-32 as eight upper-case hexadecimal digits.
std::string CRC32Text(const void* Bytes, std::size_t Length);
inline std::string CRC32Text(std::string_view bytes) {
  return CRC32Text(bytes.data(), bytes.size());
}
// CRC32Text of a whole file; raises std::runtime_error when it cannot be read.
std::string FileCRCText(const std::string& FileName);

// Per-user autostart and application-menu folders, without a trailing "/".
std::string StartupFolder();
std::string ProgramsFolder();

std::string PadId(std::int64_t ID);
std::string SizeText(std::int64_t Bytes);
std::string BoolText(bool Value);
std::string ReplaceChar(std::string S, char Old, char New);
// Parses "d.m.yyyy" optionally followed by "h:n" or "h:n:s"; 0 when it does not parse.
double StrToDateTimeOr0(std::string_view S);
// Whole number with optional sign, decimal or "$"-prefixed hexadecimal,
// leading blanks allowed; `Default` when the text is not such a number.
std::int32_t StrToIntDef(std::string_view S, std::int32_t Default);

// Uninstall pieces.
void DeleteClientKey();
void DeleteUninstallKey();
void DeleteProgramGroup();
// Writes "pdel.sh" beside `Folder` (ending in "/") and starts it; once this
// process has ended it removes the folder and then itself.
void SelfDeleteBatch(const std::string& Folder);
