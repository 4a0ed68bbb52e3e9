#pragma once
#include <functional>
#include <string>
// Data files: paths in the data folder, whole-file reading and writing, the
// hook that hears of missing or damaged files and the one that hears of every
// whole-file read. The readers themselves show nothing and carry on with the
// entries they could read.

// The folder joined with a file name; a separator is added unless the folder
// is empty or already ends in one.
std::string DataFilePath(const std::string& folder, const char* name);

// A file is never trusted: a reader delivers an entry only when all of its
// bytes lie inside the file and it keeps the format's limits; the first entry
// that does not stops the reading with Damaged, keeping those before.
enum class ReadStatus { Ok, Missing, Damaged };

// The whole file; Missing when it cannot be opened, Damaged on a read error.
// The read hook, when set, hears of the path and the status.
ReadStatus ReadFileBytes(const std::string& path, std::string& bytes);
// Writes the whole file; a partly written file is removed.
bool WriteFileBytes(const std::string& path, const std::string& bytes);

enum class DataFileProblem { Missing, Damaged };

// The application may set the hook to log or to ignore reports.
using DataFileHook = std::function<void(const std::string& path, DataFileProblem problem)>;

// Installs the hook (an empty one ignores reports); returns the previous one.
DataFileHook SetDataFileHook(DataFileHook hook);
void ReportDataFile(const std::string& path, DataFileProblem problem);

// Hears of every ReadFileBytes call, files whose absence is normal included;
// none is set unless a caller wants to know which files were read.
using DataFileReadHook = std::function<void(const std::string& path, ReadStatus status)>;

// Installs the read hook (an empty one hears nothing); returns the previous one.
DataFileReadHook SetDataFileReadHook(DataFileReadHook hook);
