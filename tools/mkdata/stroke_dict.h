#pragma once
// Stroke sequences from the rime stroke dictionary: "女<TAB>zph" after the
// "..." line that ends the header. The letters h s p n z become the digits
// 1..5; a character listed twice keeps its later sequence (the mainland one).
#include <istream>
#include <map>
#include <string>
#include <string_view>

class StrokeDict {
public:
    void AddLine(std::string_view line);  // one entry line; malformed ones are skipped
    void Read(std::istream& in);          // skips the header

    // The digits of a code point, "" when unknown.
    std::string Get(char32_t cp) const;
    size_t Size() const { return strokes_.size(); }

private:
    std::map<char32_t, std::string> strokes_;
};
