#include "pictures.h"

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

namespace orix_assets {
namespace {

constexpr double kTau = 6.283185307179586;

struct Rgb {
    double r, g, b;
};
Rgb Mix(Rgb a, Rgb b, double t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}
Rgb Scale(Rgb a, double s) {
    return {a.r * s, a.g * s, a.b * s};
}

double Smooth(double e0, double e1, double x) {
    double t = std::clamp((x - e0) / (e1 - e0), 0.0, 1.0);
    return t * t * (3 - 2 * t);
}

uint32_t Hash(int x, int y, uint32_t seed) {
    uint32_t h = static_cast<uint32_t>(x) * 374761393u + static_cast<uint32_t>(y) * 668265263u +
                 seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return h ^ (h >> 16);
}
double Random01(int x, int y, uint32_t seed) {
    return (Hash(x, y, seed) & 0xFFFF) / 65535.0;
}

// Value noise on a grid of period cells, so that textures tile.
double Noise(double x, double y, int period, uint32_t seed) {
    int x0 = static_cast<int>(std::floor(x)), y0 = static_cast<int>(std::floor(y));
    double fx = x - x0, fy = y - y0;
    auto at = [&](int i, int j) {
        return Random01(((i % period) + period) % period, ((j % period) + period) % period, seed);
    };
    double sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
    double top = at(x0, y0) + (at(x0 + 1, y0) - at(x0, y0)) * sx;
    double bottom = at(x0, y0 + 1) + (at(x0 + 1, y0 + 1) - at(x0, y0 + 1)) * sx;
    return top + (bottom - top) * sy;
}

// Fractal noise over a 256-pixel tile.
double Fbm(double px, double py, int baseCells, uint32_t seed) {
    double sum = 0, amp = 0.5, norm = 0;
    for (int o = 0, cells = baseCells; o < 4; ++o, cells *= 2, amp *= 0.5) {
        sum += amp * Noise(px * cells / 256.0, py * cells / 256.0, cells, seed + o);
        norm += amp;
    }
    return sum / norm;
}

void Put(Image* img, int x, int y, Rgb c) {
    uint8_t* p = &img->rgb[(static_cast<size_t>(y) * img->width + x) * 3];
    p[0] = static_cast<uint8_t>(std::clamp(c.r, 0.0, 1.0) * 255 + 0.5);
    p[1] = static_cast<uint8_t>(std::clamp(c.g, 0.0, 1.0) * 255 + 0.5);
    p[2] = static_cast<uint8_t>(std::clamp(c.b, 0.0, 1.0) * 255 + 0.5);
}

Image Blank(int w, int h) {
    Image img;
    img.width = w;
    img.height = h;
    img.rgb.assign(static_cast<size_t>(w) * h * 3, 0);
    return img;
}

// Distance-like helpers for the bird drawing; inside means <= 0.
double Ellipse(double x, double y, double cx, double cy, double rx, double ry, double angle) {
    double c = std::cos(angle), s = std::sin(angle);
    double dx = x - cx, dy = y - cy;
    double u = (dx * c + dy * s) / rx, v = (-dx * s + dy * c) / ry;
    return std::sqrt(u * u + v * v) - 1;
}
double Segment(double x, double y, double ax, double ay, double bx, double by) {
    double vx = bx - ax, vy = by - ay;
    double t = std::clamp(((x - ax) * vx + (y - ay) * vy) / (vx * vx + vy * vy), 0.0, 1.0);
    return std::hypot(x - ax - vx * t, y - ay - vy * t);
}
bool Triangle(double x, double y, double ax, double ay, double bx, double by, double cx,
              double cy) {
    auto edge = [&](double px, double py, double qx, double qy) {
        return (qx - px) * (y - py) - (qy - py) * (x - px);
    };
    double e0 = edge(ax, ay, bx, by), e1 = edge(bx, by, cx, cy), e2 = edge(cx, cy, ax, ay);
    return (e0 >= 0 && e1 >= 0 && e2 >= 0) || (e0 <= 0 && e1 <= 0 && e2 <= 0);
}

Rgb VireoSample(double x, double y) {
    // Sky: deep blue above, pale near the horizon, a soft sun at the upper right.
    Rgb c = Mix({0.20, 0.42, 0.78}, {0.80, 0.89, 0.96}, std::pow(y / 256, 1.3));
    double sun = std::exp(-std::pow(std::hypot(x - 205, y - 52) / 38, 2));
    c = Mix(c, {1.0, 0.97, 0.85}, 0.8 * sun);
    // Branch.
    double by = 200 + 0.0009 * (x - 120) * (x - 120) - 0.05 * x;
    if (std::fabs(y - by) < 7 - x / 80) c = Mix({0.36, 0.24, 0.14}, {0.50, 0.36, 0.22}, (y < by));
    if (Segment(x, y, 200, 196, 240, 168) < 2.5) c = {0.38, 0.26, 0.15};
    // Legs.
    if (Segment(x, y, 118, 160, 114, 194) < 1.6 || Segment(x, y, 136, 160, 138, 193) < 1.6)
        c = {0.30, 0.30, 0.35};
    // Tail.
    if (Triangle(x, y, 160, 150, 232, 180, 222, 198)) c = {0.36, 0.40, 0.26};
    // Body: olive back, pale yellow belly.
    double body = Ellipse(x, y, 128, 138, 56, 34, 0.28);
    if (body <= 0) {
        double belly = Smooth(-10, 20, (y - 138) - 0.28 * (x - 128));
        c = Mix({0.47, 0.53, 0.28}, {0.95, 0.94, 0.74}, belly);
    }
    // Wing with two pale bars.
    double wing = Ellipse(x, y, 146, 130, 40, 17, 0.35);
    if (wing <= 0) {
        c = {0.33, 0.38, 0.22};
        double across = (x - 146) * std::cos(0.35) + (y - 130) * std::sin(0.35);
        if (std::fabs(across + 12) < 2.5 || std::fabs(across + 1) < 2.5) c = {0.88, 0.90, 0.80};
    }
    // Head: grey crown, white brow stripe, dark eye line, eye with a highlight.
    double head = Ellipse(x, y, 82, 106, 30, 27, 0);
    if (head <= 0) {
        c = Mix({0.45, 0.49, 0.52}, {0.93, 0.93, 0.86}, Smooth(100, 124, y));
        if (std::fabs(Ellipse(x, y, 80, 108, 22, 15, 0)) < 0.12 && y < 106) c = {0.97, 0.97, 0.95};
        if (Segment(x, y, 58, 110, 96, 112) < 1.6) c = {0.20, 0.22, 0.24};
    }
    double eye = std::hypot(x - 72, y - 109);
    if (eye < 5.5) c = {0.10, 0.07, 0.07};
    if (std::hypot(x - 70.5, y - 107.5) < 1.6) c = {1, 1, 1};
    // Beak.
    if (Triangle(x, y, 56, 104, 56, 116, 38, 111)) c = {0.30, 0.32, 0.36};
    return c;
}

}  // namespace

Image DrawCharacterAtlas() {
    const int w = 256, h = 256;
    Image img = Blank(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            double u = (x + 0.5) / w;
            // Side light: full at u = 0.5, darker towards the seam behind the body.
            double shade = 0.55 + 0.45 * (0.5 - 0.5 * std::cos(kTau * u));
            Rgb c;
            if (y < 128) {
                // Gingham: overlapping bands every 16 texels and a fine weave.
                double bx = (x / 8) % 2, by = (y / 8) % 2;
                double weave = 0.04 * Random01(x, y, 11);
                double v = 1.0 - 0.22 * bx - 0.22 * by - weave;
                c = {v, v, v};
            } else if (y < 192) {
                double n = Fbm(x, y, 8, 21);
                c = {0.97 + 0.03 * n, 0.95 + 0.03 * n, 0.94 + 0.03 * n};
            } else {
                // Strands run along v, the length of the hair pieces.
                double n = Noise(x / 2.0, y / 24.0, 128, 31);
                double v = 0.62 + 0.38 * n;
                c = {v, v * 0.96, v * 0.9};
            }
            Put(&img, x, y, Scale(c, shade));
        }
    return img;
}

Image DrawLandTexture() {
    const int w = 256, h = 256;
    Image img = Blank(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            double large = Fbm(x, y, 4, 41);
            double fine = Fbm(x, y, 32, 51);
            Rgb grass = Mix({0.22, 0.42, 0.12}, {0.42, 0.62, 0.20}, large);
            grass = Scale(grass, 0.8 + 0.4 * fine);
            Rgb earth = Scale(Mix({0.45, 0.33, 0.20}, {0.58, 0.46, 0.30}, fine), 0.9 + 0.2 * large);
            double patch = Smooth(0.58, 0.68, Fbm(x + 97, y + 53, 4, 61));
            Rgb c = Mix(grass, earth, patch);
            if (Random01(x, y, 71) > 0.985) c = Scale(c, 1.25);  // specks of light
            Put(&img, x, y, c);
        }
    return img;
}

Image DrawVireo() {
    const int w = 256, h = 256;
    Image img = Blank(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            Rgb sum{0, 0, 0};
            for (int sy = 0; sy < 3; ++sy)
                for (int sx = 0; sx < 3; ++sx) {
                    Rgb s = VireoSample(x + (sx + 0.5) / 3, y + (sy + 0.5) / 3);
                    sum = {sum.r + s.r, sum.g + s.g, sum.b + s.b};
                }
            Put(&img, x, y, Scale(sum, 1.0 / 9));
        }
    return img;
}

std::vector<uint8_t> EncodeBmp(const Image& image) {
    const uint32_t rowBytes = (static_cast<uint32_t>(image.width) * 3 + 3) & ~3u;
    const uint32_t dataBytes = rowBytes * static_cast<uint32_t>(image.height);
    const uint32_t fileBytes = 54 + dataBytes;
    std::vector<uint8_t> out(fileBytes, 0);
    auto put16 = [&](size_t at, uint32_t v) {
        out[at] = v & 0xFF;
        out[at + 1] = (v >> 8) & 0xFF;
    };
    auto put32 = [&](size_t at, uint32_t v) {
        put16(at, v & 0xFFFF);
        put16(at + 2, v >> 16);
    };
    out[0] = 'B';
    out[1] = 'M';
    put32(2, fileBytes);
    put32(10, 54);  // offset of the pixels
    put32(14, 40);  // BITMAPINFOHEADER
    put32(18, static_cast<uint32_t>(image.width));
    put32(22, static_cast<uint32_t>(image.height));  // positive: bottom-up
    put16(26, 1);
    put16(28, 24);
    put32(34, dataBytes);
    put32(38, 2835);  // 72 dots per inch
    put32(42, 2835);
    for (int y = 0; y < image.height; ++y) {
        const uint8_t* src =
            &image.rgb[static_cast<size_t>(image.height - 1 - y) * image.width * 3];
        uint8_t* dst = &out[54 + static_cast<size_t>(y) * rowBytes];
        for (int x = 0; x < image.width; ++x) {
            dst[x * 3 + 0] = src[x * 3 + 2];
            dst[x * 3 + 1] = src[x * 3 + 1];
            dst[x * 3 + 2] = src[x * 3 + 0];
        }
    }
    return out;
}

namespace {
struct JpegError {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
    unsigned char* buffer;
    unsigned long size;
};
void JpegErrorExit(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<JpegError*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->message);
    std::longjmp(err->jump, 1);
}
}  // namespace

bool EncodeJpeg(const Image& image, int quality, std::vector<uint8_t>* out, std::string* error) {
    jpeg_compress_struct cinfo{};
    JpegError err{};
    cinfo.err = jpeg_std_error(&err.base);
    err.base.error_exit = JpegErrorExit;
    // The output buffer lives in err (reached through a pointer), so it is still known after a
    // longjmp and can be freed.
    if (setjmp(err.jump) != 0) {
        jpeg_destroy_compress(&cinfo);
        std::free(err.buffer);
        if (error != nullptr) *error = std::string("JPEG encoder: ") + err.message;
        return false;
    }
    jpeg_create_compress(&cinfo);
    jpeg_mem_dest(&cinfo, &err.buffer, &err.size);
    cinfo.image_width = static_cast<JDIMENSION>(image.width);
    cinfo.image_height = static_cast<JDIMENSION>(image.height);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(
            &image.rgb[static_cast<size_t>(cinfo.next_scanline) * image.width * 3]);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    out->assign(err.buffer, err.buffer + err.size);
    jpeg_destroy_compress(&cinfo);
    std::free(err.buffer);
    return true;
}

}  // namespace orix_assets
