#pragma once
// The cjk-decomp table: "好:a(女,子)", "10018:rrefl(㇉)", "一:c()".
#include <istream>
#include <map>
#include <string>
#include <string_view>
#include <vector>

class CjkDecomp {
public:
    // Takes one line: key (a character or a number naming a shape without a
    // character), ':', the kind of composition, and the components in
    // parentheses, separated by commas. Malformed lines are skipped.
    void AddLine(std::string_view line);
    void Read(std::istream& in);

    // The components of a key, in order; null when the key is unknown.
    const std::vector<std::string>* Find(const std::string& key) const;
    size_t Size() const { return parts_.size(); }

private:
    std::map<std::string, std::vector<std::string>, std::less<>> parts_;
};
