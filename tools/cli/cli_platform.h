#pragma once
// What the console front end needs from the operating system.
#include <string>
#include <vector>

// Where the data may be, in order: the folder of the running executable, then
// data/ in its parent folder; each ends in a separator. Empty when the
// executable's path is unknown, one folder when it has no parent.
std::vector<std::string> DataFolderCandidates();

// The command-line arguments in UTF-8 (Windows hands them over in UTF-16),
// and the console set up to show UTF-8 output.
std::vector<std::string> Utf8Arguments(int argc, char** argv);
