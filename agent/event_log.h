#pragma once
// The agent's event log file. Levels: 0 failures and protective actions,
// 1 ordinary events, 2 details.

#include <string_view>

// Appends "dd.mm.yyyy hh:nn:ss Text" when `Level` is at most the configured
// level (ELogLevel), writing is on (ESaveLog) and the file (ELogFileName) can
// be written. Reads the settings at every call; never fails visibly.
void WriteLog(std::string_view Text, int Level);
