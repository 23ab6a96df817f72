#include "tests/common/zip_fixtures.h"

#include <sys/wait.h>
#include <cstdio>
#include <filesystem>
#include <stdexcept>

#include "tests/support/test_support.h"

namespace fs = std::filesystem;

namespace zip_fixtures {

int RunShell(const std::string& command, std::string* output) {
  FILE* pipe = popen(("(" + command + ") 2>&1").c_str(), "r");
  if (!pipe) throw std::runtime_error("cannot run " + command);
  std::string text;
  char buf[4096];
  while (size_t n = fread(buf, 1, sizeof buf, pipe)) text.append(buf, n);
  const int status = pclose(pipe);
  if (output) *output = text;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string Quoted(const std::string& text) {
  std::string out = "'";
  for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

std::string PyStr(const std::string& text) {
  std::string out = "'";
  for (char c : text) {
    if (c == '\\' || c == '\'') out += '\\';
    out += c;
  }
  return out + "'";
}

void PythonZip(const std::string& zipPath, const std::string& body) {
  const std::string script = zipPath + ".py";
  testing_support::WriteFileBytes(script,
                                  "import os, sys, time, zipfile\n"
                                  "z = zipfile.ZipFile(sys.argv[1], 'w', zipfile.ZIP_DEFLATED)\n" +
                                      body + "\nz.close()\n");
  std::string output;
  if (RunShell("python3 " + Quoted(script) + " " + Quoted(zipPath), &output) != 0)
    throw std::runtime_error("python zipfile failed: " + output);
  fs::remove(script);
}

std::set<std::string> Tree(const std::string& folder) {
  std::set<std::string> paths;
  for (auto it = fs::recursive_directory_iterator(folder); it != fs::recursive_directory_iterator();
       ++it) {
    std::string relative = it->path().lexically_relative(folder).string();
    if (it->is_directory() && !it->is_symlink()) relative += '/';
    paths.insert(relative);
  }
  return paths;
}

}  // namespace zip_fixtures
