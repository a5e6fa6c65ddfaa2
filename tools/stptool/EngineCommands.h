// The engine's commands of stptool: setup, install, plan, verify, remove, list.
#pragma once

#include <string>
#include <vector>

// Each returns normally on success and raises an Exception with the
// system's message when refused or failed; TUsageError for wrong usage.
struct TUsageError {
  std::string what;
};

void CommandSetup(const std::vector<std::string>& args);
void CommandInstall(const std::vector<std::string>& args);
void CommandRemove(const std::vector<std::string>& args);
void CommandPlan(const std::vector<std::string>& args);
void CommandVerify(const std::vector<std::string>& args);
void CommandList(const std::vector<std::string>& args);
