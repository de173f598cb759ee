#pragma once
#include <string>
#include <vector>

/// The subcommands of stowline-cli. Each takes the arguments after its name and returns
/// the process exit status (0 success, 1 failure, 2 usage error, 130 cancelled).
namespace cli {

int runHash(const std::vector<std::string>& args);
int runScan(const std::vector<std::string>& args);
int runOffload(const std::vector<std::string>& args);
int runVerify(const std::vector<std::string>& args);

} // namespace cli
