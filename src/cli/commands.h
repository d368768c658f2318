#pragma once
#include <string>
#include <vector>

// Each command gets its arguments after the command word and returns the
// process exit status. Failures are reported by main as "error: MESSAGE".
using TArgs = std::vector<std::string>;

int RunCalc(const TArgs& args);
int RunResize(const TArgs& args);
int RunDump(const TArgs& args);
int RunDraw(const TArgs& args);
int RunReport(const TArgs& args);
int RunSchedule(const TArgs& args);

// Exit statuses.
constexpr int ExitOk = 0;
constexpr int ExitBadInput = 2;
constexpr int ExitResizeFailed = 3;
