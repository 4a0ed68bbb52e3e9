#include "lexicon/diagnostics.h"

#include <utility>

namespace {

DataFileHook& Hook() {
    static DataFileHook hook;
    return hook;
}

}  // namespace

DataFileHook SetDataFileHook(DataFileHook hook) { return std::exchange(Hook(), std::move(hook)); }

void ReportDataFile(const std::string& path, DataFileProblem problem) {
    if (Hook()) Hook()(path, problem);
}
