#pragma once
#include <string>

#include "rules/polyphone_model.h"
// The polyphone model's folder (third_party/polyphone-model: .npy weights and
// TSV tables) read into the program's model data.

// False with a message in error when a file is missing or malformed.
bool ReadPolyphoneModelFolder(const std::string& folder, PolyphoneModelData& data, std::string& error);
