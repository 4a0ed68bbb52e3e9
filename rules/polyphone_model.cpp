#include "rules/polyphone_model.h"

#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>

namespace {

constexpr char kMagic[8] = {'Z', 'h', 'P', 'o', 'l', 'y', 'M', '1'};
constexpr std::uint32_t kPad = 0, kUnknown = 1, kStart = 2, kEnd = 3;

enum Tensor { kEmbedding, kIhF, kHhF, kBihF, kBhhF, kIhB, kHhB, kBihB, kBhhB, kW1, kB1, kW2, kB2 };
constexpr const char* kTensorNames[kModelTensors] = {
    "embedding", "forward W_ih", "forward W_hh", "forward b_ih", "forward b_hh", "backward W_ih", "backward W_hh",
    "backward b_ih", "backward b_hh", "dense 1 weight", "dense 1 bias", "dense 2 weight", "dense 2 bias"};

// The shape each tensor must have, for vocabulary v and c classes.
void ExpectedShape(int t, std::uint32_t v, std::uint32_t c, std::uint32_t& rows, std::uint32_t& cols) {
    switch (t) {
    case kEmbedding: rows = v, cols = kModelEmbed; return;
    case kIhF: case kIhB: rows = kModelGates, cols = kModelEmbed; return;
    case kHhF: case kHhB: rows = kModelGates, cols = kModelHidden; return;
    case kBihF: case kBhhF: case kBihB: case kBhhB: rows = kModelGates, cols = 1; return;
    case kW1: rows = kModelDense, cols = kModelFeatures; return;
    case kB1: rows = kModelDense, cols = 1; return;
    case kW2: rows = c, cols = kModelDense; return;
    default: rows = c, cols = 1; return;
    }
}

class Reader {
public:
    explicit Reader(std::string_view b) : b_(b) {}
    bool Bytes(void* out, size_t n) {
        if (b_.size() - pos_ < n) return false;
        std::memcpy(out, b_.data() + pos_, n);
        pos_ += n;
        return true;
    }
    template <class T>
    bool Get(T& v) {
        unsigned char raw[sizeof(T)];
        if (!Bytes(raw, sizeof(T))) return false;
        std::uint64_t x = 0;
        for (size_t i = 0; i < sizeof(T); i++) x |= static_cast<std::uint64_t>(raw[i]) << (8 * i);
        v = static_cast<T>(x);
        return true;
    }
    bool AtEnd() const { return pos_ == b_.size(); }
    size_t Left() const { return b_.size() - pos_; }

private:
    std::string_view b_;
    size_t pos_ = 0;
};

template <class T>
void Put(std::string& out, T v) {
    for (size_t i = 0; i < sizeof(T); i++) out += static_cast<char>((static_cast<std::uint64_t>(v) >> (8 * i)) & 0xFF);
}

// exp(x) to about one ulp, branch-free so that a loop of it vectorises:
// 2^n by the exponent bits times a polynomial of the remainder.
inline float Exp(float x) {
    x = x < -87.0f ? -87.0f : (x > 88.0f ? 88.0f : x);
    const float n = std::nearbyint(x * 1.44269504088896341f);
    const float r = (x - n * 0.693359375f) + n * 2.12194440e-4f;
    float p = 1.9875691500e-4f;
    p = p * r + 1.3981999507e-3f;
    p = p * r + 8.3334519073e-3f;
    p = p * r + 4.1665795894e-2f;
    p = p * r + 1.6666665459e-1f;
    p = p * r + 5.0000001201e-1f;
    p = p * r * r + r + 1.0f;
    const std::int32_t bits = (static_cast<std::int32_t>(n) + 127) << 23;
    float scale;
    std::memcpy(&scale, &bits, 4);
    return p * scale;
}

}  // namespace

std::string SerializePolyphoneModel(const PolyphoneModelData& d) {
    std::string out(kMagic, sizeof kMagic);
    Put<std::uint32_t>(out, static_cast<std::uint32_t>(d.chars.size()));
    Put<std::uint32_t>(out, static_cast<std::uint32_t>(d.classes.size()));
    Put<std::uint32_t>(out, static_cast<std::uint32_t>(d.polyphones.size()));
    for (std::uint32_t c : d.chars) Put(out, c);
    for (const std::string& c : d.classes) {
        Put<std::uint8_t>(out, static_cast<std::uint8_t>(c.size()));
        out += c;
    }
    for (const auto& [ch, cands] : d.polyphones) {
        Put(out, ch);
        Put<std::uint8_t>(out, static_cast<std::uint8_t>(cands.size()));
        for (std::uint16_t c : cands) Put(out, c);
    }
    for (const ModelTensor& t : d.tensors) {
        Put(out, t.rows);
        Put(out, t.cols);
        for (float f : t.data) {
            std::uint32_t bits;
            std::memcpy(&bits, &f, 4);
            Put(out, bits);
        }
    }
    return out;
}

bool PolyphoneModel::Load(const std::string& path, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        *this = PolyphoneModel();
        error = path + ": cannot be read";
        return false;
    }
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (LoadBytes(bytes, error)) return true;
    error = path + ": " + error;
    return false;
}

bool PolyphoneModel::LoadBytes(std::string_view bytes, std::string& error) {
    *this = PolyphoneModel();
    Reader r(bytes);
    char magic[8];
    std::uint32_t nChars = 0, nClasses = 0, nPoly = 0;
    if (!r.Bytes(magic, 8) || std::memcmp(magic, kMagic, 8) != 0) {
        error = "not a polyphone model file";
        return false;
    }
    const auto truncated = [&](const char* where) {
        *this = PolyphoneModel();
        error = std::string("truncated in the ") + where;
        return false;
    };
    if (!r.Get(nChars) || !r.Get(nClasses) || !r.Get(nPoly)) return truncated("header");
    if (nChars < 4 || nClasses == 0 || nClasses > 0xFFFF || nChars > r.Left() / 4)
        return error = "implausible counts in the header", false;
    std::vector<std::string> classes;
    for (std::uint32_t i = 0; i < nChars; i++) {
        std::uint32_t cp;
        if (!r.Get(cp)) return truncated("characters");
        if (i > kEnd) charIndex_[cp] = static_cast<int>(i);
    }
    for (std::uint32_t i = 0; i < nClasses; i++) {
        std::uint8_t len;
        std::string name;
        if (!r.Get(len)) return truncated("classes");
        name.resize(len);
        if (!r.Bytes(name.data(), len)) return truncated("classes");
        classIndex_[name] = static_cast<int>(i);
        classes.push_back(std::move(name));
    }
    for (std::uint32_t i = 0; i < nPoly; i++) {
        std::uint32_t cp;
        std::uint8_t count;
        if (!r.Get(cp) || !r.Get(count)) return truncated("polyphones");
        std::vector<std::uint16_t> cands(count);
        for (auto& c : cands) {
            if (!r.Get(c)) return truncated("polyphones");
            if (c >= nClasses) {
                *this = PolyphoneModel();
                return error = "a polyphone's candidate is not a class", false;
            }
        }
        candidates_[cp] = std::move(cands);
    }
    ModelTensor t[kModelTensors];
    for (int i = 0; i < kModelTensors; i++) {
        std::uint32_t rows, cols;
        if (!r.Get(t[i].rows) || !r.Get(t[i].cols)) return truncated(kTensorNames[i]);
        ExpectedShape(i, nChars, nClasses, rows, cols);
        if (t[i].rows != rows || t[i].cols != cols) {
            *this = PolyphoneModel();
            error = std::string(kTensorNames[i]) + " has shape " + std::to_string(t[i].rows) + " x " +
                    std::to_string(t[i].cols) + ", expected " + std::to_string(rows) + " x " + std::to_string(cols);
            return false;
        }
        const size_t n = static_cast<size_t>(rows) * cols;
        if (r.Left() < 4 * n) return truncated(kTensorNames[i]);
        t[i].data.resize(n);
        for (float& f : t[i].data) {
            std::uint32_t bits;
            r.Get(bits);
            std::memcpy(&f, &bits, 4);
        }
    }
    if (!r.AtEnd()) {
        *this = PolyphoneModel();
        return error = "bytes after the last tensor", false;
    }

    // The input projection of every character, both biases folded in.
    for (int dir = 0; dir < 2; dir++) {
        const ModelTensor& ih = t[dir ? kIhB : kIhF];
        const ModelTensor& hh = t[dir ? kHhB : kHhF];
        const ModelTensor& bih = t[dir ? kBihB : kBihF];
        const ModelTensor& bhh = t[dir ? kBhhB : kBhhF];
        std::vector<float>& in = input_[dir];
        in.assign(static_cast<size_t>(nChars) * kModelGates, 0.0f);
        for (std::uint32_t c = 0; c < nChars; c++) {
            const float* x = &t[kEmbedding].data[static_cast<size_t>(c) * kModelEmbed];
            float* g = &in[static_cast<size_t>(c) * kModelGates];
            for (int row = 0; row < kModelGates; row++) {
                const float* w = &ih.data[static_cast<size_t>(row) * kModelEmbed];
                float s = 0;
                for (int k = 0; k < kModelEmbed; k++) s += w[k] * x[k];
                g[row] = s + bih.data[row] + bhh.data[row];
            }
            for (int row = 2 * kModelHidden; row < 3 * kModelHidden; row++) g[row] *= 2.0f;
        }
        recurrentT_[dir].assign(static_cast<size_t>(kModelHidden) * kModelGates, 0.0f);
        for (int row = 0; row < kModelGates; row++)
            for (int j = 0; j < kModelHidden; j++)
                recurrentT_[dir][static_cast<size_t>(j) * kModelGates + row] =
                    hh.data[static_cast<size_t>(row) * kModelHidden + j] *
                    (row >= 2 * kModelHidden && row < 3 * kModelHidden ? 2.0f : 1.0f);
    }
    w1_ = std::move(t[kW1].data);
    b1_ = std::move(t[kB1].data);
    w2_ = std::move(t[kW2].data);
    b2_ = std::move(t[kB2].data);
    classes_ = std::move(classes);
    return true;
}

int PolyphoneModel::FindClass(const std::string& reading) const {
    auto it = classIndex_.find(reading);
    return it == classIndex_.end() ? -1 : it->second;
}

const std::vector<std::uint16_t>* PolyphoneModel::Candidates(char16_t ch) const {
    auto it = candidates_.find(ch);
    return it == candidates_.end() ? nullptr : &it->second;
}

int PolyphoneModel::CharIndex(char16_t ch) const {
    auto it = charIndex_.find(ch);
    return it == charIndex_.end() ? static_cast<int>(kUnknown) : it->second;
}

void PolyphoneModel::Features(const char16_t* s, int n, std::vector<float>& out) const {
    out.assign(static_cast<size_t>(n) * kModelFeatures, 0.0f);
    if (!Loaded() || n <= 0) return;
    std::vector<int> ids(static_cast<size_t>(n) + 2);
    ids[0] = kStart;
    for (int i = 0; i < n; i++) ids[static_cast<size_t>(i) + 1] = CharIndex(s[i]);
    ids[static_cast<size_t>(n) + 1] = kEnd;
    const int steps = n + 2;
    for (int dir = 0; dir < 2; dir++) {
        alignas(32) float h[kModelHidden] = {}, c[kModelHidden] = {}, g[kModelGates];
        const float* wt = recurrentT_[dir].data();
        for (int step = 0; step < steps; step++) {
            const int t = dir ? steps - 1 - step : step;
            std::memcpy(g, &input_[dir][static_cast<size_t>(ids[static_cast<size_t>(t)]) * kModelGates], sizeof g);
            for (int j = 0; j < kModelHidden; j++) {
                const float hj = h[j];
                const float* w = wt + j * kModelGates;
                for (int row = 0; row < kModelGates; row++) g[row] += w[row] * hj;
            }
            // Gates i, f, o: logistic; c~: tanh(x) = 2 logistic(2x) - 1, its
            // rows stored doubled.
            for (int row = 0; row < kModelGates; row++) g[row] = 1.0f / (1.0f + Exp(-g[row]));
            for (int j = 0; j < kModelHidden; j++) {
                c[j] = g[kModelHidden + j] * c[j] + g[j] * (2.0f * g[2 * kModelHidden + j] - 1.0f);
                h[j] = g[3 * kModelHidden + j] * (2.0f / (1.0f + Exp(-2.0f * c[j])) - 1.0f);
            }
            // ids position t is text position t - 1.
            if (t >= 1 && t <= n) std::memcpy(&out[static_cast<size_t>(t - 1) * kModelFeatures + dir * kModelHidden], h, sizeof h);
        }
    }
}

void PolyphoneModel::Dense1(const float* v, float out[kModelDense]) const {
    for (int row = 0; row < kModelDense; row++) {
        const float* w = &w1_[static_cast<size_t>(row) * kModelFeatures];
        float s = b1_[static_cast<size_t>(row)];
        for (int k = 0; k < kModelFeatures; k++) s += w[k] * v[k];
        out[row] = s > 0 ? s : 0;
    }
}

float PolyphoneModel::ScoreFromDense(const float dense[kModelDense], int c) const {
    const float* w = &w2_[static_cast<size_t>(c) * kModelDense];
    float s = b2_[static_cast<size_t>(c)];
    for (int k = 0; k < kModelDense; k++) s += w[k] * dense[k];
    return s;
}

float PolyphoneModel::Score(const float* v, int c) const {
    float dense[kModelDense];
    Dense1(v, dense);
    return ScoreFromDense(dense, c);
}
