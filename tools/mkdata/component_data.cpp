#include "tools/mkdata/component_data.h"

#include <algorithm>
#include <map>
#include <numeric>
#include <set>

#include "rules/char_class.h"
#include "text/utf8.h"

namespace {

constexpr int kMaxDepth = 8;         // nesting of shapes without a GBK form
constexpr size_t kMaxReordered = 5;  // components whose writing order is searched
constexpr int kMinVotes = 3;         // characters that must agree on an inferred sequence

class Builder {
public:
    Builder(const CjkDecomp& d, const StrokeDict& s, const GbkIndex& g) : decomp_(d), strokes_(s), gbk_(g) {}

    // A component without a sequence of its own (radical forms such as ⺮)
    // takes the one that most characters of two components imply: their
    // strokes less those of the other component.
    void InferStrokes() {
        std::map<char32_t, std::map<std::string, int>> votes;
        for (auto& [cp, code] : gbk_.Chars()) {
            const std::string own = strokes_.Get(cp);
            const std::vector<std::string>* d = IsKey(cp) ? decomp_.Find(Utf8(cp)) : nullptr;
            if (own.empty() || !d || d->size() != 2) continue;
            const char32_t a = SingleCodePoint((*d)[0]), b = SingleCodePoint((*d)[1]);
            const std::string sa = strokes_.Get(a), sb = strokes_.Get(b);
            if (sa.empty() == sb.empty()) continue;
            const std::string& known = sa.empty() ? sb : sa;
            const char32_t unknown = sa.empty() ? a : b;
            if (unknown == 0 || known.size() >= own.size()) continue;
            const size_t rest = own.size() - known.size();
            if (sa.empty() && own.compare(rest, known.size(), known) == 0) ++votes[unknown][own.substr(0, rest)];
            if (sb.empty() && own.compare(0, known.size(), known) == 0) ++votes[unknown][own.substr(known.size())];
        }
        for (auto& [cp, counts] : votes) {
            auto best = counts.begin();
            for (auto it = counts.begin(); it != counts.end(); ++it)
                if (it->second > best->second) best = it;
            if (best->second >= kMinVotes) inferred_[cp] = best->first;
        }
    }

    // The stroke digits of the source, else the inferred ones.
    std::string Own(char32_t cp) const {
        std::string s = strokes_.Get(cp);
        if (auto it = inferred_.find(cp); s.empty() && it != inferred_.end()) s = it->second;
        return s;
    }
    size_t Inferred() const { return inferred_.size(); }

    // The GBK elements of one cjk-decomp component: a GBK character, or for
    // a shape without one its components or its stroke digits (the digits
    // first when asked). False when it cannot be written in GBK.
    bool Resolve(const std::string& part, int depth, bool digitsFirst, std::vector<std::string>& out) const {
        const char32_t cp = SingleCodePoint(part);
        if (const std::string g = gbk_.Encode(cp); !g.empty()) {
            out.push_back(g);
            return true;
        }
        const std::string digits = cp ? Own(cp) : std::string();
        if (digitsFirst && !digits.empty()) {
            for (char d : digits) out.emplace_back(1, d);
            return true;
        }
        const std::vector<std::string>* sub = decomp_.Find(part);
        const size_t size = out.size();
        if (sub && !sub->empty() && depth < kMaxDepth) {
            bool ok = true;
            for (const std::string& p : *sub) ok = ok && Resolve(p, depth + 1, digitsFirst, out);
            if (ok) return true;
            out.resize(size);
        }
        if (digits.empty()) return false;
        for (char d : digits) out.emplace_back(1, d);
        return true;
    }

    // The stroke digits of a GBK character as the tables expand it; decides
    // on the way whether it is composite ("" when unknown).
    std::string Strokes(char32_t cp) {
        if (auto it = final_.find(cp); it != final_.end()) return it->second;
        final_[cp] = "";  // a cycle reads as unknown
        const std::string own = Own(cp);
        const std::vector<std::string>* d = IsKey(cp) ? decomp_.Find(Utf8(cp)) : nullptr;
        if (d)
            for (const bool digitsFirst : {false, true})
                if (std::string sum; Decompose(cp, *d, own, digitsFirst, sum)) return final_[cp] = sum;
        return final_[cp] = own;  // basic
    }

    // Keeps the components of cp when they add up to its strokes (or to
    // something when its strokes are unknown), in the order they are written:
    // as listed, else the first order that fits.
    bool Decompose(char32_t cp, const std::vector<std::string>& d, const std::string& own, bool digitsFirst,
                   std::string& sum) {
        std::vector<std::string> parts;
        for (const std::string& p : d)
            if (!Resolve(p, 1, digitsFirst, parts)) return false;
        if (parts.size() < 2) return false;  // one component is no decomposition
        std::vector<std::string> each;
        for (const std::string& p : parts) {
            each.push_back(p.size() == 1 ? p : Strokes(CodePointOf(p)));
            if (each.back().empty()) return false;
        }
        std::vector<size_t> order(parts.size());
        std::iota(order.begin(), order.end(), 0);
        do {
            sum.clear();
            for (size_t i : order) sum += each[i];
            if (own.empty() || sum == own) {
                std::vector<std::string>& kept = parts_[cp];
                for (size_t i : order) kept.push_back(parts[i]);
                return true;
            }
        } while (parts.size() <= kMaxReordered && std::next_permutation(order.begin(), order.end()));
        return false;
    }

    const std::vector<std::string>* Parts(char32_t cp) const {
        auto it = parts_.find(cp);
        return it == parts_.end() ? nullptr : &it->second;
    }

    // Only the Chinese characters are keys of the component table.
    bool IsKey(char32_t cp) const {
        auto it = gbk_.Chars().find(cp);
        return it != gbk_.Chars().end() &&
               IsGbkHanzi(static_cast<unsigned char>(it->second >> 8), static_cast<unsigned char>(it->second & 0xFF));
    }

private:
    static std::string Utf8(char32_t cp) {
        std::string s;
        AppendUtf8(s, cp);
        return s;
    }
    char32_t CodePointOf(const std::string& gbkChar) const {
        if (auto it = byCode_.find(gbkChar); it != byCode_.end()) return it->second;
        for (auto& [cp, code] : gbk_.Chars()) byCode_.emplace(gbk_.Encode(cp), cp);
        return byCode_[gbkChar];
    }

    const CjkDecomp& decomp_;
    const StrokeDict& strokes_;
    const GbkIndex& gbk_;
    std::map<char32_t, std::string> final_, inferred_;
    std::map<char32_t, std::vector<std::string>> parts_;
    mutable std::map<std::string, char32_t> byCode_;
};

}  // namespace

ComponentData BuildComponentData(const CjkDecomp& decomp, const StrokeDict& strokes, const GbkIndex& gbk) {
    Builder b(decomp, strokes, gbk);
    b.InferStrokes();
    std::map<unsigned, std::pair<std::string, std::string>> components, base;  // by GBK code
    std::set<std::string> named;
    for (auto& [cp, code] : gbk.Chars()) {
        if (!IsGbkHanzi(static_cast<unsigned char>(code >> 8), static_cast<unsigned char>(code & 0xFF))) continue;
        b.Strokes(cp);
        std::string value;
        if (const std::vector<std::string>* parts = b.Parts(cp))
            for (const std::string& p : *parts) value += p, named.insert(p);
        components[code] = {gbk.Encode(cp), value};
    }
    ComponentData data;
    for (auto& [code, pair] : components) {
        data.composite += !pair.second.empty();
        data.components.push_back(pair);
    }
    for (auto& [cp, code] : gbk.Chars()) {
        const std::string g = gbk.Encode(cp);
        auto it = components.find(code);
        const bool basic = it != components.end() ? it->second.second.empty() : named.count(g) > 0;
        if (const std::string s = b.Own(cp); basic && !s.empty()) base[code] = {g, s};
    }
    for (auto& [code, pair] : base) data.base.push_back(pair);
    data.inferred = b.Inferred();
    return data;
}
