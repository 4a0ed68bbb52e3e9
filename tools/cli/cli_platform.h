#pragma once
// What the console front end needs from the operating system.
#include <string>
#include <vector>

// The folder of the running executable, ending in a separator; empty when unknown.
std::string ExecutableFolder();

// The command-line arguments in UTF-8 (Windows hands them over in UTF-16),
// and the console set up to show UTF-8 output.
std::vector<std::string> Utf8Arguments(int argc, char** argv);
