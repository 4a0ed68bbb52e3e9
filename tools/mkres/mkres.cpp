// mkres: turns a picture written as text art into a Windows .bmp, .ico or .cur
// file, and optionally into an enlarged PNG preview.
//
//   mkres INPUT.art OUTPUT(.bmp|.ico|.cur) [--png PREVIEW.png SCALE]
//
// The art language, one statement a line ('#' starts a comment line):
//   colour C R G B      the character C stands for an opaque colour
//   colour C none       C leaves the pixel as it is (transparent in icons)
//   size W H            starts a new image, all transparent (icons hold several)
//   bits 1              the bitmap is written monochrome (light pixels white)
//   hotspot X Y         the cursor's hot spot
//   fill C              the whole image
//   rect X Y W H C      a filled rectangle
//   vgrad Y0 Y1 C1 C2   rows Y0..Y1 blend from C1 to C2 (all columns)
//   hgrad X0 X1 C1 C2   columns X0..X1 blend from C1 to C2 (all rows)
//   blit FILE X Y S [C] the first image of another art file, each pixel S x S,
//                       its opaque pixels painted C when C is given
//   pixels [X Y]        rows of characters follow, up to a line "end"; in a row
//                       <N:abc> repeats abc N times; a row "*N" repeats the
//                       previous row N more times
// A bitmap must have every pixel painted.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "tools/png/png.h"

namespace {

struct Rgba {
    uint8_t r = 0, g = 0, b = 0, a = 0;
};

struct Image {
    int w = 0, h = 0;
    std::vector<Rgba> px;
    Rgba& At(int x, int y) { return px[static_cast<size_t>(y) * w + x]; }
    void Put(int x, int y, Rgba c) {
        if (c.a && x >= 0 && y >= 0 && x < w && y < h) At(x, y) = c;
    }
};

struct Art {
    std::vector<Image> images;
    bool mono = false;
    int hotX = 0, hotY = 0;
};

[[noreturn]] void Fail(const std::string& where, const std::string& what) {
    std::fprintf(stderr, "mkres: %s: %s\n", where.c_str(), what.c_str());
    std::exit(1);
}

std::string ExpandRow(const std::string& row, const std::string& where) {
    std::string out;
    for (size_t i = 0; i < row.size(); ++i) {
        if (row[i] != '<') {
            out += row[i];
            continue;
        }
        const size_t colon = row.find(':', i), close = row.find('>', i);
        if (colon == std::string::npos || close == std::string::npos || colon > close) Fail(where, "bad <N:...>");
        const int n = std::stoi(row.substr(i + 1, colon - i - 1));
        const std::string unit = row.substr(colon + 1, close - colon - 1);
        for (int k = 0; k < n; ++k) out += unit;
        i = close;
    }
    return out;
}

Art Load(const std::filesystem::path& path) {
    std::ifstream in(path);
    if (!in) Fail(path.string(), "cannot open");
    Art art;
    std::map<char, Rgba> colours;
    int lineNo = 0;
    std::string line;
    auto where = [&] { return path.string() + ":" + std::to_string(lineNo); };
    auto colour = [&](const std::string& name) {
        if (name.size() != 1 || !colours.count(name[0])) Fail(where(), "unknown colour '" + name + "'");
        return colours[name[0]];
    };
    auto image = [&]() -> Image& {
        if (art.images.empty()) Fail(where(), "no size given yet");
        return art.images.back();
    };
    auto blend = [](Rgba a, Rgba b, int i, int n) {
        auto mix = [&](uint8_t p, uint8_t q) {
            return static_cast<uint8_t>(n ? (p * (n - i) + q * i + n / 2) / n : p);
        };
        return Rgba{mix(a.r, b.r), mix(a.g, b.g), mix(a.b, b.b), 255};
    };
    while (std::getline(in, line)) {
        ++lineNo;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::istringstream s(line);
        std::string op;
        if (!(s >> op) || op[0] == '#') continue;
        if (op == "colour") {
            std::string name, r;
            s >> name >> r;
            if (name.size() != 1) Fail(where(), "a colour is one character");
            if (r == "none") {
                colours[name[0]] = Rgba{};
            } else {
                int g = -1, b = -1;
                s >> g >> b;
                if (g < 0 || b < 0) Fail(where(), "colour needs R G B");
                colours[name[0]] =
                    Rgba{static_cast<uint8_t>(std::stoi(r)), static_cast<uint8_t>(g), static_cast<uint8_t>(b), 255};
            }
        } else if (op == "size") {
            Image im;
            s >> im.w >> im.h;
            if (im.w <= 0 || im.h <= 0) Fail(where(), "bad size");
            im.px.assign(static_cast<size_t>(im.w) * im.h, Rgba{});
            art.images.push_back(im);
        } else if (op == "bits") {
            int bits = 0;
            s >> bits;
            art.mono = bits == 1;
        } else if (op == "hotspot") {
            s >> art.hotX >> art.hotY;
        } else if (op == "fill") {
            std::string c;
            s >> c;
            for (Rgba& p : image().px) p = colour(c);
        } else if (op == "rect") {
            int x, y, w, h;
            std::string c;
            if (!(s >> x >> y >> w >> h >> c)) Fail(where(), "rect X Y W H C");
            for (int j = y; j < y + h; ++j)
                for (int i = x; i < x + w; ++i) image().Put(i, j, colour(c));
        } else if (op == "vgrad" || op == "hgrad") {
            int p0, p1;
            std::string c1, c2;
            if (!(s >> p0 >> p1 >> c1 >> c2)) Fail(where(), op + " P0 P1 C1 C2");
            Image& im = image();
            for (int p = p0; p <= p1; ++p) {
                const Rgba c = blend(colour(c1), colour(c2), p - p0, p1 - p0);
                if (op == "vgrad")
                    for (int x = 0; x < im.w; ++x) im.Put(x, p, c);
                else
                    for (int y = 0; y < im.h; ++y) im.Put(p, y, c);
            }
        } else if (op == "blit") {
            std::string file;
            int x, y, scale;
            if (!(s >> file >> x >> y >> scale)) Fail(where(), "blit FILE X Y S [C]");
            std::string recolour;
            s >> recolour;
            const std::optional<Rgba> paint = recolour.empty() ? std::nullopt : std::optional<Rgba>(colour(recolour));
            const Art other = Load(path.parent_path() / file);
            const Image& src = other.images.front();
            for (int j = 0; j < src.h; ++j)
                for (int i = 0; i < src.w; ++i)
                    for (int k = 0; k < scale * scale; ++k) {
                        const Rgba c = src.px[static_cast<size_t>(j) * src.w + i];
                        image().Put(x + i * scale + k % scale, y + j * scale + k / scale, c.a && paint ? *paint : c);
                    }
        } else if (op == "pixels") {
            int x0 = 0, y0 = 0;
            s >> x0 >> y0;
            std::vector<std::string> rows;
            bool ended = false;
            while (std::getline(in, line)) {
                ++lineNo;
                if (!line.empty() && line.back() == '\r') line.pop_back();
                if (line == "end") {
                    ended = true;
                    break;
                }
                if (!line.empty() && line[0] == '*') {
                    if (rows.empty()) Fail(where(), "nothing to repeat");
                    const int n = std::stoi(line.substr(1));
                    for (int k = 0; k < n; ++k) rows.push_back(rows.back());
                    continue;
                }
                rows.push_back(ExpandRow(line, where()));
            }
            if (!ended) Fail(where(), "pixels without end");
            Image& im = image();
            for (size_t j = 0; j < rows.size(); ++j) {
                if (x0 + static_cast<int>(rows[j].size()) > im.w || y0 + static_cast<int>(j) >= im.h)
                    Fail(where(), "row " + std::to_string(j) + " runs outside the image");
                for (size_t i = 0; i < rows[j].size(); ++i)
                    im.Put(x0 + static_cast<int>(i), y0 + static_cast<int>(j), colour(std::string(1, rows[j][i])));
            }
        } else {
            Fail(where(), "unknown statement '" + op + "'");
        }
    }
    if (art.images.empty()) Fail(path.string(), "no image");
    return art;
}

void Le16(std::vector<uint8_t>& o, uint32_t v) {
    o.push_back(static_cast<uint8_t>(v));
    o.push_back(static_cast<uint8_t>(v >> 8));
}
void Le32(std::vector<uint8_t>& o, uint32_t v) {
    Le16(o, v & 0xFFFF);
    Le16(o, v >> 16);
}

// BITMAPINFOHEADER; `rows` is the height written in the header.
void InfoHeader(std::vector<uint8_t>& o, int w, int rows, int bits, uint32_t imageBytes, int colours) {
    Le32(o, 40);
    Le32(o, static_cast<uint32_t>(w));
    Le32(o, static_cast<uint32_t>(rows));
    Le16(o, 1);
    Le16(o, static_cast<uint32_t>(bits));
    Le32(o, 0);  // BI_RGB
    Le32(o, imageBytes);
    Le32(o, 2835);  // 72 dpi
    Le32(o, 2835);
    Le32(o, static_cast<uint32_t>(colours));
    Le32(o, 0);
}

bool Light(Rgba c) { return c.r * 299 + c.g * 587 + c.b * 114 >= 128000; }

std::vector<uint8_t> Bitmap(const Art& art, const std::string& where) {
    Image im = art.images.front();
    for (const Rgba& p : im.px)
        if (!p.a) Fail(where, "a bitmap pixel was left unpainted");
    const int bits = art.mono ? 1 : 24;
    const int stride = ((im.w * bits + 31) / 32) * 4;
    const int paletteBytes = art.mono ? 8 : 0;
    const uint32_t imageBytes = static_cast<uint32_t>(stride) * im.h;
    std::vector<uint8_t> o = {'B', 'M'};
    Le32(o, 14 + 40 + paletteBytes + imageBytes);
    Le32(o, 0);
    Le32(o, 14 + 40 + paletteBytes);
    InfoHeader(o, im.w, im.h, bits, imageBytes, art.mono ? 2 : 0);
    if (art.mono) o.insert(o.end(), {0, 0, 0, 0, 255, 255, 255, 0});
    for (int y = im.h - 1; y >= 0; --y) {
        std::vector<uint8_t> row(stride, 0);
        for (int x = 0; x < im.w; ++x) {
            const Rgba c = im.At(x, y);
            if (art.mono) {
                if (Light(c)) row[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
            } else {
                row[x * 3] = c.b;
                row[x * 3 + 1] = c.g;
                row[x * 3 + 2] = c.r;
            }
        }
        o.insert(o.end(), row.begin(), row.end());
    }
    return o;
}

// An icon (type 1) or cursor (type 2) file of 32-bit images with their masks.
std::vector<uint8_t> IconFile(const Art& art, int type) {
    std::vector<std::vector<uint8_t>> blobs;
    for (const Image& im : art.images) {
        const int maskStride = ((im.w + 31) / 32) * 4;
        const uint32_t bytes = static_cast<uint32_t>(im.w) * im.h * 4 + static_cast<uint32_t>(maskStride) * im.h;
        std::vector<uint8_t> b;
        InfoHeader(b, im.w, im.h * 2, 32, bytes, 0);
        for (int y = im.h - 1; y >= 0; --y)
            for (int x = 0; x < im.w; ++x) {
                const Rgba& c = im.px[static_cast<size_t>(y) * im.w + x];
                b.insert(b.end(), {c.b, c.g, c.r, c.a});
            }
        for (int y = im.h - 1; y >= 0; --y) {
            std::vector<uint8_t> row(maskStride, 0);
            for (int x = 0; x < im.w; ++x)
                if (!im.px[static_cast<size_t>(y) * im.w + x].a) row[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
            b.insert(b.end(), row.begin(), row.end());
        }
        blobs.push_back(b);
    }
    std::vector<uint8_t> o;
    Le16(o, 0);
    Le16(o, static_cast<uint32_t>(type));
    Le16(o, static_cast<uint32_t>(blobs.size()));
    uint32_t offset = 6 + 16 * static_cast<uint32_t>(blobs.size());
    for (size_t i = 0; i < blobs.size(); ++i) {
        const Image& im = art.images[i];
        o.push_back(static_cast<uint8_t>(im.w == 256 ? 0 : im.w));
        o.push_back(static_cast<uint8_t>(im.h == 256 ? 0 : im.h));
        o.push_back(0);
        o.push_back(0);
        Le16(o, type == 1 ? 1 : static_cast<uint32_t>(art.hotX));
        Le16(o, type == 1 ? 32 : static_cast<uint32_t>(art.hotY));
        Le32(o, static_cast<uint32_t>(blobs[i].size()));
        Le32(o, offset);
        offset += static_cast<uint32_t>(blobs[i].size());
    }
    for (const auto& b : blobs) o.insert(o.end(), b.begin(), b.end());
    return o;
}

// All images side by side, each pixel scale x scale, on a checkerboard where transparent.
void Preview(const Art& art, const std::string& path, int scale) {
    int w = 0, h = 0;
    for (const Image& im : art.images) {
        w += im.w * scale + (w ? scale * 4 : 0);
        h = std::max(h, im.h * scale);
    }
    std::vector<uint8_t> rgba(static_cast<size_t>(w) * h * 4, 255);
    int left = 0;
    for (const Image& im : art.images) {
        for (int y = 0; y < im.h * scale; ++y)
            for (int x = 0; x < im.w * scale; ++x) {
                Rgba c = im.px[static_cast<size_t>(y / scale) * im.w + x / scale];
                if (art.mono && c.a) c = Light(c) ? Rgba{255, 255, 255, 255} : Rgba{0, 0, 0, 255};
                if (!c.a) {
                    const uint8_t v = ((x / 4 + y / 4) % 2) ? 200 : 230;
                    c = Rgba{v, v, v, 255};
                }
                uint8_t* p = &rgba[(static_cast<size_t>(y) * w + left + x) * 4];
                p[0] = c.r;
                p[1] = c.g;
                p[2] = c.b;
            }
        left += im.w * scale + scale * 4;
    }
    if (!WritePngRgba(path, w, h, rgba.data())) Fail(path, "cannot write");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3 && !(argc == 6 && std::string(argv[3]) == "--png")) {
        std::fprintf(stderr, "usage: mkres INPUT.art OUTPUT.(bmp|ico|cur) [--png PREVIEW.png SCALE]\n");
        return 2;
    }
    const Art art = Load(argv[1]);
    const std::string out = argv[2];
    const std::string ext = std::filesystem::path(out).extension().string();
    std::vector<uint8_t> bytes;
    if (ext == ".bmp")
        bytes = Bitmap(art, argv[1]);
    else if (ext == ".ico")
        bytes = IconFile(art, 1);
    else if (ext == ".cur")
        bytes = IconFile(art, 2);
    else
        Fail(out, "unknown output kind");
    std::ofstream f(out, std::ios::binary);
    f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!f) Fail(out, "cannot write");
    if (argc == 6) Preview(art, argv[4], std::stoi(argv[5]));
    return 0;
}
