#pragma once
// The polyphone model: a character embedding, a one-layer bidirectional LSTM
// (hidden size 32) and two dense layers give every reading class a score for
// each character of a sentence. float32 throughout.
//
// Data file, little-endian: "ZhPolyM1", u32 character count, class count,
// polyphone count; per character index its code point (u32; 0 for the four
// special rows: padding, unknown, start, end); per class a u8 length and the
// reading (syllable, v for u-umlaut, and tone digit 1-5); per polyphone its
// code point (u32), a u8 candidate count and the candidates' class indices
// (u16); then the tensors in a fixed order, each as u32 rows, u32 columns and
// rows x columns floats: embedding, then forward and backward LSTM weights
// (ih, hh) and biases (ih, hh), dense 1 weight and bias, dense 2 weight and bias.
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

inline constexpr const char* kPolyphoneModelFile = "polyphone.bin";

inline constexpr int kModelEmbed = 64;
inline constexpr int kModelHidden = 32;
inline constexpr int kModelGates = 4 * kModelHidden;
inline constexpr int kModelFeatures = 2 * kModelHidden;
inline constexpr int kModelDense = 32;
inline constexpr int kModelTensors = 13;

struct ModelTensor {
    std::uint32_t rows = 0, cols = 0;
    std::vector<float> data;
};

// What the data file holds, as the builder writes it.
struct PolyphoneModelData {
    std::vector<std::uint32_t> chars;       // index -> code point
    std::vector<std::string> classes;       // index -> "hang2"
    std::vector<std::pair<std::uint32_t, std::vector<std::uint16_t>>> polyphones;
    ModelTensor tensors[kModelTensors];
};

std::string SerializePolyphoneModel(const PolyphoneModelData& data);

class PolyphoneModel {
public:
    // False with a message in error when the bytes are not a whole model
    // file of consistent shapes; the model is then empty.
    bool LoadBytes(std::string_view bytes, std::string& error);
    bool Load(const std::string& path, std::string& error);
    bool Loaded() const { return !classes_.empty(); }

    int ClassCount() const { return static_cast<int>(classes_.size()); }
    const std::string& ClassName(int c) const { return classes_[static_cast<size_t>(c)]; }
    // The class of a reading ("hang2"), or -1.
    int FindClass(const std::string& reading) const;
    // The candidates of a character the model was trained to decide, else null.
    const std::vector<std::uint16_t>* Candidates(char16_t ch) const;

    // The features of every unit of s[0..n): out gets n rows of kModelFeatures.
    void Features(const char16_t* s, int n, std::vector<float>& out) const;
    // Score of class c for one row of features.
    float Score(const float* features, int c) const;
    // relu(W1 v + b1) of one row, for repeated Score calls.
    void Dense1(const float* features, float out[kModelDense]) const;
    float ScoreFromDense(const float dense[kModelDense], int c) const;

private:
    int CharIndex(char16_t ch) const;

    std::vector<std::string> classes_;
    std::unordered_map<std::string, int> classIndex_;
    std::unordered_map<std::uint32_t, int> charIndex_;
    std::unordered_map<std::uint32_t, std::vector<std::uint16_t>> candidates_;
    // Per character index and direction: W_ih x + b_ih + b_hh (kModelGates);
    // here and in recurrentT_ the rows of the cell candidate are doubled.
    std::vector<float> input_[2];
    // W_hh transposed per direction: [j][gate row].
    std::vector<float> recurrentT_[2];
    std::vector<float> w1_, b1_, w2_, b2_;
};
