#pragma once
// Helpers for the zip tests: archives made by outside programs, and a view of
// everything below a folder.

#include <set>
#include <string>

namespace zip_fixtures {

// Runs a shell command; returns its exit status and, when asked, its output.
int RunShell(const std::string& command, std::string* output = nullptr);

// Quotes `text` for the shell.
std::string Quoted(const std::string& text);

// `text` as a Python string literal.
std::string PyStr(const std::string& text);

// Makes the archive `zipPath` with Python's zipfile: `body` is Python code
// that adds entries to the open archive `z` (modules zipfile, os, time loaded).
void PythonZip(const std::string& zipPath, const std::string& body);

// Every path below `folder` (ending in "/"), relative, folders with a
// trailing "/"; symbolic links are listed, not followed.
std::set<std::string> Tree(const std::string& folder);

}  // namespace zip_fixtures
