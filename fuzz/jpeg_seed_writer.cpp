// Writes one small JPEG seed for the picture corpus: make_corpus.py compiles and runs it.
// Usage: jpeg_seed_writer OUT WIDTH HEIGHT [grey|cmyk|progressive|arithmetic|subsample|restart]...
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <jpeglib.h>

int main(int argc, char** argv) {
    if (argc < 4) return 2;
    int width = std::atoi(argv[2]), height = std::atoi(argv[3]);
    bool grey = false, cmyk = false, progressive = false, arithmetic = false, subsample = false;
    int restart = 0;
    for (int i = 4; i < argc; ++i) {
        grey |= !std::strcmp(argv[i], "grey");
        cmyk |= !std::strcmp(argv[i], "cmyk");
        progressive |= !std::strcmp(argv[i], "progressive");
        arithmetic |= !std::strcmp(argv[i], "arithmetic");
        subsample |= !std::strcmp(argv[i], "subsample");
        if (!std::strcmp(argv[i], "restart")) restart = 1;
    }
    std::FILE* file = std::fopen(argv[1], "wb");
    if (!file) return 1;
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, file);
    cinfo.image_width = JDIMENSION(width);
    cinfo.image_height = JDIMENSION(height);
    int components = grey ? 1 : cmyk ? 4 : 3;
    cinfo.input_components = components;
    cinfo.in_color_space = grey ? JCS_GRAYSCALE : cmyk ? JCS_CMYK : JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 75, TRUE);
    if (!subsample) {
        for (int i = 0; i < cinfo.num_components; ++i) {
            cinfo.comp_info[i].h_samp_factor = 1;
            cinfo.comp_info[i].v_samp_factor = 1;
        }
    }
    if (progressive) jpeg_simple_progression(&cinfo);
    cinfo.arith_code = arithmetic ? TRUE : FALSE;
    cinfo.restart_interval = unsigned(restart);
    cinfo.write_JFIF_header = FALSE;
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<JSAMPLE> row(size_t(width) * components);
    while (cinfo.next_scanline < cinfo.image_height) {
        for (size_t x = 0; x < row.size(); ++x)
            row[x] = JSAMPLE((x * 37 + cinfo.next_scanline * 91) & 0xFF);
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::fclose(file);
    return 0;
}
