#pragma once
#include <functional>
#include <string>
// Data-file problems, reported to a hook the application may set (to log or
// to ignore them); the lexicon itself shows nothing and carries on with the
// entries it could read.

enum class DataFileProblem { Missing, Damaged };

using DataFileHook = std::function<void(const std::string& path, DataFileProblem problem)>;

// Installs the hook (an empty one ignores reports); returns the previous one.
DataFileHook SetDataFileHook(DataFileHook hook);
void ReportDataFile(const std::string& path, DataFileProblem problem);
