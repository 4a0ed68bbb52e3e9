#pragma once
// Little-endian reading and writing of the data files' binary records.
#include <cstdint>
#include <string>
#include <string_view>

// Bounds-checked little-endian cursor; a failed read leaves ok() false.
class ByteReader {
public:
    explicit ByteReader(std::string_view bytes) : bytes_(bytes) {}
    bool ok() const { return ok_; }
    size_t left() const { return bytes_.size() - pos_; }
    bool AtEnd() const { return pos_ == bytes_.size(); }

    std::uint32_t U8() { return Le(1); }
    std::uint32_t U16() { return Le(2); }
    std::uint32_t U32() { return Le(4); }
    std::uint32_t Count() {  // archive count: u16, 0xFFFF escapes to u32
        std::uint32_t n = U16();
        return n == 0xFFFF ? U32() : n;
    }
    std::string_view Bytes(std::uint32_t n) {
        if (!Need(n)) return {};
        std::string_view v = bytes_.substr(pos_, n);
        pos_ += n;
        return v;
    }

private:
    bool Need(size_t n) {
        if (ok_ && n > left()) ok_ = false;
        return ok_;
    }
    std::uint32_t Le(int n) {
        if (!Need(static_cast<size_t>(n))) return 0;
        std::uint32_t v = 0;
        for (int i = 0; i < n; i++) v |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes_[pos_ + i])) << (8 * i);
        pos_ += static_cast<size_t>(n);
        return v;
    }

    std::string_view bytes_;
    size_t pos_ = 0;
    bool ok_ = true;
};

class ByteWriter {
public:
    void U8(unsigned v) { out_ += static_cast<char>(v & 0xFF); }
    void U16(unsigned v) { U8(v), U8(v >> 8); }
    void U32(std::uint32_t v) { U16(v & 0xFFFF), U16(v >> 16); }
    void Count(size_t n) {
        if (n < 0xFFFF) return U16(static_cast<unsigned>(n));
        U16(0xFFFF), U32(static_cast<std::uint32_t>(n));
    }
    void Bytes(const std::string& s) { out_ += s; }
    const std::string& str() const { return out_; }

private:
    std::string out_;
};
