#include "tools/mkdata/polyphone_data.h"

#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>

#include "text/astring.h"
#include "text/code_pages.h"

namespace {

bool ReadAll(const std::string& path, std::string& out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

// A little-endian float32 C-order .npy file of one or two dimensions.
bool ReadNpy(const std::string& path, ModelTensor& t, std::string& error) {
    std::string b;
    if (!ReadAll(path, b)) return error = path + ": cannot be read", false;
    if (b.size() < 10 || b.compare(0, 6, "\x93NUMPY") != 0) return error = path + ": not a .npy file", false;
    const int major = static_cast<unsigned char>(b[6]);
    size_t headerLen, start;
    if (major == 1) {
        headerLen = static_cast<unsigned char>(b[8]) | static_cast<unsigned char>(b[9]) << 8;
        start = 10;
    } else {
        if (b.size() < 12) return error = path + ": truncated", false;
        headerLen = 0;
        for (int i = 0; i < 4; i++) headerLen |= static_cast<size_t>(static_cast<unsigned char>(b[8 + i])) << (8 * i);
        start = 12;
    }
    if (b.size() < start + headerLen) return error = path + ": truncated header", false;
    const std::string header = b.substr(start, headerLen);
    if (header.find("'<f4'") == std::string::npos || header.find("'fortran_order': False") == std::string::npos)
        return error = path + ": not little-endian float32 in C order", false;
    const size_t open = header.find("'shape': (");
    if (open == std::string::npos) return error = path + ": no shape", false;
    std::vector<std::uint32_t> dims;
    const char* p = header.c_str() + open + 10;
    while (*p && *p != ')') {
        char* end;
        const unsigned long v = std::strtoul(p, &end, 10);
        if (end == p) break;
        dims.push_back(static_cast<std::uint32_t>(v));
        p = end;
        while (*p == ',' || *p == ' ') ++p;
    }
    if (dims.empty() || dims.size() > 2) return error = path + ": not one or two dimensions", false;
    t.rows = dims[0];
    t.cols = dims.size() == 2 ? dims[1] : 1;
    const size_t n = static_cast<size_t>(t.rows) * t.cols;
    const size_t data = start + headerLen;
    if (b.size() != data + 4 * n) return error = path + ": size does not match its shape", false;
    t.data.resize(n);
    std::memcpy(t.data.data(), b.data() + data, 4 * n);  // the build machine is little-endian
    return true;
}

// The rows of a TSV table without its comment lines, split at tabs.
bool ReadTable(const std::string& path, std::vector<std::vector<std::string>>& rows, std::string& error) {
    std::string text;
    if (!ReadAll(path, text)) return error = path + ": cannot be read", false;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        std::vector<std::string> fields;
        size_t s = 0;
        for (size_t tab; (tab = line.find('\t', s)) != std::string::npos; s = tab + 1) fields.push_back(line.substr(s, tab - s));
        fields.push_back(line.substr(s));
        rows.push_back(std::move(fields));
    }
    return true;
}

// The one code point of a UTF-8 text, or 0.
std::uint32_t CodePoint(const std::string& s) {
    const AString w = Utf8ToUtf16(s.data(), static_cast<int>(s.size()));
    const auto* u = reinterpret_cast<const char16_t*>(w.GetString());
    const int n = w.GetLength() / 2;
    if (n == 1) return u[0];
    if (n == 2 && u[0] >= 0xD800 && u[0] < 0xDC00) return 0x10000 + ((u[0] - 0xD800) << 10) + (u[1] - 0xDC00);
    return 0;
}

// The readings' standard spelling: "lu:4" -> "lv4", but "nu:e4" -> "nue4".
std::string ProgramSpelling(std::string r) {
    for (size_t i; (i = r.find("u:")) != std::string::npos;)
        r.replace(i, 2, i + 2 < r.size() && r[i + 2] == 'e' ? "u" : "v");
    return r;
}

}  // namespace

bool ReadPolyphoneModelFolder(const std::string& folder, PolyphoneModelData& d, std::string& error) {
    const std::string dir = folder.empty() || folder.back() == '/' ? folder : folder + "/";
    static const char* kFiles[kModelTensors] = {
        "embedding.weight", "lstm.weight_ih_l0", "lstm.weight_hh_l0", "lstm.bias_ih_l0", "lstm.bias_hh_l0",
        "lstm.weight_ih_l0_reverse", "lstm.weight_hh_l0_reverse", "lstm.bias_ih_l0_reverse",
        "lstm.bias_hh_l0_reverse", "logit_layer.0.weight", "logit_layer.0.bias", "logit_layer.2.weight",
        "logit_layer.2.bias"};
    for (int i = 0; i < kModelTensors; i++)
        if (!ReadNpy(dir + kFiles[i] + ".npy", d.tensors[i], error)) return false;

    std::vector<std::vector<std::string>> rows;
    if (!ReadTable(dir + "chars.tsv", rows, error)) return false;
    d.chars.assign(rows.size(), 0);
    for (const auto& r : rows) {
        const size_t index = r.size() == 2 ? std::stoul(r[0]) : rows.size();
        if (index >= rows.size()) return error = "chars.tsv: bad row", false;
        d.chars[index] = index < 4 ? 0 : CodePoint(r[1]);
    }
    rows.clear();
    if (!ReadTable(dir + "classes.tsv", rows, error)) return false;
    d.classes.assign(rows.size(), "");
    std::map<std::string, std::uint16_t> classIndex;
    for (const auto& r : rows) {
        const size_t index = r.size() == 2 ? std::stoul(r[0]) : rows.size();
        if (index >= rows.size()) return error = "classes.tsv: bad row", false;
        d.classes[index] = ProgramSpelling(r[1]);
        classIndex[r[1]] = static_cast<std::uint16_t>(index);
    }
    rows.clear();
    if (!ReadTable(dir + "polyphones.tsv", rows, error)) return false;
    for (const auto& r : rows) {
        if (r.size() != 2) return error = "polyphones.tsv: bad row", false;
        std::vector<std::uint16_t> cands;
        std::istringstream in(r[1]);
        for (std::string reading; in >> reading;) {
            auto it = classIndex.find(reading);
            if (it == classIndex.end()) return error = "polyphones.tsv: unknown class " + reading, false;
            cands.push_back(it->second);
        }
        d.polyphones.emplace_back(CodePoint(r[0]), std::move(cands));
    }
    return true;
}
