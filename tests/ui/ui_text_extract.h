#pragma once
// Finds the English interface texts that reach the translation: in program
// code (the translation calls and the UiText marker), in resource scripts
// (captions, controls, menus, string tables) and in the reviewable list of
// texts (res/lang/ui_texts.txt).
#include <string>
#include <string_view>
#include <vector>

struct UiTextUse {
    std::string text;    // as the program hands it over (an ASCII text or a message number)
    bool exact = false;  // looked up as it is, not through the key normalisation
    std::string where;   // file and line, or the list's heading
};

std::vector<UiTextUse> ExtractFromCode(std::string_view code, const std::string& file);
std::vector<UiTextUse> ExtractFromResourceScript(std::string_view rc, const std::string& file);
// The list's lines "KIND TEXT"; kinds caption, message, number and key are
// exact. An unknown kind is reported as a use with an empty text and the
// bad line in `where`.
std::vector<UiTextUse> ExtractFromList(std::string_view list, const std::string& file);
