#pragma once
#include <string>

// The folder of the running executable, ending in a separator; empty when unknown.
std::string ExecutableFolder();
