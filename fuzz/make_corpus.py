#!/usr/bin/env python3
"""Writes seed corpora under fuzz/corpus/: small well-formed files of every format the
readers take, and hand-made hostile ones. Run from anywhere; it rewrites the files it makes
(inputs that fuzzing found are kept beside them under names of their own). JPEG seeds are
encoded with libjpeg by jpeg_seed_writer.cpp, compiled on the spot with c++ -ljpeg."""
import os
import struct
import subprocess
import sys
import tempfile

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus")


def put(target, name, data):
    folder = os.path.join(ROOT, target)
    os.makedirs(folder, exist_ok=True)
    if isinstance(data, str):
        data = data.encode("latin-1")
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


# ---- BNE ---------------------------------------------------------------------------------------
def u32(*v):
    return b"".join(struct.pack("<I", x & 0xFFFFFFFF) for x in v)


def f32(*v):
    return b"".join(struct.pack("<f", x) for x in v)


def s(text):
    return text.encode("latin-1") + b"\0"


def rec(tag, payload=b""):
    return bytes([tag]) + payload


MAGIC = b"BNE\0"
END = rec(40)


def material(name, texture=None, subs=()):
    out = rec(3, s(name)) + rec(4, f32(0.5, 0.5, 0.5)) + rec(5, f32(0.8, 0.7, 0.6))
    out += rec(6, f32(0.2, 0.2, 0.2)) + rec(7, f32(0.0))
    if texture:
        out += rec(8, s(texture))
    if subs:
        out += rec(9, bytes([len(subs)]))
        for i, sub in enumerate(subs):
            out += rec(10, bytes([i])) + rec(3, s(sub)) + rec(5, f32(0.1 * i, 0.5, 0.9))
    return out + rec(39)


def node_tm(x=0.0, y=0.0, z=0.0):
    return (rec(13, f32(1, 0, 0, 0, 1, 0, 0, 0, 1, x, y, z)) + rec(15, f32(0, 1, 0)) +
            rec(16, f32(0.0)) + rec(17, f32(1, 1, 1)) + rec(38))


def quad_mesh(material_ref=0, texture_faces=True, normals=True):
    out = rec(18, u32(4, 2))
    for v in ((0, 0, 0), (1, 0, 0), (1, 1, 0), (0, 1, 0)):
        out += rec(19, f32(*v))
    out += rec(20, u32(0, 1, 2) + bytes([0])) + rec(20, u32(0, 2, 3) + bytes([1]))
    if texture_faces:
        out += rec(21, u32(4))
        for uv in ((0, 0), (1, 0), (1, 1), (0, 1)):
            out += rec(22, f32(*uv))
        out += rec(23, u32(2)) + rec(24, u32(0, 1, 2)) + rec(24, u32(0, 2, 3))
    if normals:
        out += rec(25, u32(0) + f32(0, 0, -1)) + rec(25, u32(1) + f32(0, 0, -1))
    return out + rec(33, bytes([material_ref]))


def keys():
    out = rec(26)
    for t in (0, 160, 320):
        out += rec(27, u32(t) + f32(t / 160.0, 0, 0))
    for t in (0, 160, 320):
        out += rec(30, u32(t) + f32(0, 1, 0, 0.3))
    out += rec(31, u32(0) + f32(1, 0, 0, 0.1)) + rec(29, u32(160) + f32(0, 0, 1, 0.2))
    out += rec(32, u32(0) + f32(1, 1, 1)) + rec(28, u32(480) + f32(0, 1, 0))
    return out


def bne_seeds():
    scene = rec(1, u32(0, 3, 160))
    mesh = (MAGIC + scene + rec(2, b"\x01") + material("Land", "land.bmp") + rec(11, s("Land")) +
            node_tm() + quad_mesh() + rec(35) + END)
    character = (MAGIC + scene + rec(2, b"\x03") + material("Body", "skin.jpg", ("Skin", "Cloth")) +
                 material("Collision") + material("Plain") +
                 rec(12, s("Bip01")) + node_tm() + keys() + rec(36) +
                 rec(12, s("Bip01 Pelvis")) + rec(14, s("Bip01")) + node_tm(0, 1, 0) + keys() + rec(36) +
                 rec(11, s("Body")) + rec(14, s("Bip01 Pelvis")) + node_tm() + quad_mesh(0) + rec(35) +
                 rec(11, s("Box")) + rec(14, s("Bip01 Pelvis")) + node_tm() + quad_mesh(1, False) +
                 rec(35) + rec(11, s("Hat")) + node_tm(0, 2, 0) + quad_mesh(2, True, False) + rec(35) +
                 rec(34, s("Camera01")) + node_tm() + keys() + rec(37) + END)
    seeds = {
        "empty": b"",
        "magic_only": MAGIC,
        "magic_end": MAGIC + END,
        "wrong_magic": b"BNF\0" + END,
        "magic_no_zero": b"BNE",
        "mesh": mesh,
        "character": character,
        "truncated_character": character[: len(character) * 2 // 3],
        "unknown_tags": MAGIC + bytes([0, 41, 200, 255]) + scene + END,
        # A string with no terminating zero before the end of the data.
        "unterminated_string": MAGIC + rec(11, b"Body" + b"x" * 300),
        "long_name": MAGIC + rec(11, s("N" * 600)) + node_tm() + END,
        # Face indices far past the vertices, and a face normal for a face that does not exist.
        "face_past_vertices": (MAGIC + rec(11, s("Body")) + rec(19, f32(0, 0, 0)) +
                               rec(20, u32(0, 70000, 0xFFFFFFFF) + b"\x00") +
                               rec(20, u32(0x7FFFFFFF, 0x80000000, 5) + b"\x09") +
                               rec(25, u32(0xFFFFFFF0) + f32(0, 1, 0)) + rec(33, b"\x00") + END),
        "materials_300": (MAGIC + rec(2, bytes([44])) +
                          b"".join(material("M%d" % i) for i in range(300)) + END),
        "submaterials_12": MAGIC + material("Multi", None, ["S%d" % i for i in range(12)]) + END,
        # More texture faces than faces, pointing past the texture vertices.
        "texture_faces_past_faces": (MAGIC + rec(11, s("Body")) + quad_mesh(0, False, False)[:-2] +
                                     rec(22, f32(0, 0)) + rec(23, u32(50)) +
                                     b"".join(rec(24, u32(i, i + 1, 9999)) for i in range(40)) +
                                     rec(33, b"\x00") + END),
        "frames_int_max": (MAGIC + rec(1, u32(0x7FFFFFFF, 0xFFFFFFFF, 0)) + rec(12, s("Bone")) +
                           node_tm() + keys() + rec(36) + END),
        "frames_reversed": (MAGIC + rec(1, u32(100, 5, 1)) + rec(12, s("Bone")) + node_tm() +
                            keys() + rec(36) + END),
        "self_parent": (MAGIC + rec(12, s("A")) + rec(14, s("A")) + node_tm() + rec(36) +
                        rec(12, s("B")) + rec(14, s("B")) + rec(14, s("A")) + node_tm() + rec(36) + END),
        "nan_floats": (MAGIC + rec(12, s("N")) + rec(13, f32(*[float("nan")] * 12)) +
                       rec(17, f32(0, 0, 0)) + rec(38) + rec(26) +
                       rec(29, u32(0) + f32(float("inf"), 0, 0, float("nan"))) + rec(36) + END),
        "collision_no_bone": (MAGIC + material("Collision") + rec(11, s("Box")) + node_tm() +
                              quad_mesh(0) + rec(35) + END),
        "collision_four": (MAGIC + material("Collision") + rec(12, s("Bone")) + node_tm() + rec(36) +
                           b"".join(rec(11, s("Box%d" % i)) + rec(14, s("Bone")) + node_tm() +
                                    quad_mesh(0) + rec(35) for i in range(4)) + END),
        "many_geometry": (MAGIC + b"".join(rec(11, s("G%d" % i)) + rec(19, f32(i, 0, 0))
                                           for i in range(260)) + END),
    }
    for name, data in seeds.items():
        put("bne_reader", name + ".bne", data)
        put("bne_dump", name + ".bne", data)


# ---- BMP ---------------------------------------------------------------------------------------
def bmp(width, height, bits, pixels, palette=b"", compression=0, masks=b"", header_size=40,
        colors_used=0, declared_size=None):
    info = struct.pack("<IiiHHIIiiII", header_size, width, height, 1, bits, compression,
                       declared_size if declared_size is not None else len(pixels), 2835, 2835,
                       colors_used, 0)
    info = info + b"\0" * (header_size - 40) if header_size > 40 else info
    offset = 14 + len(info) + len(masks) + len(palette)
    head = b"BM" + struct.pack("<IHHI", offset + len(pixels), 0, 0, offset)
    return head + info + masks + palette + pixels


def rows(width, height, bits, fill):
    pitch = ((width * bits + 31) // 32) * 4
    return bytes((fill + i) & 0xFF for i in range(pitch * abs(height)))


def grey_palette(n):
    return b"".join(bytes([i * 255 // max(1, n - 1)] * 3 + [0]) for i in range(n))


def bmp_seeds():
    seeds = {
        "rgb24_3x2": bmp(3, 2, 24, rows(3, 2, 24, 10)),
        "rgb24_top_down": bmp(4, -3, 24, rows(4, 3, 24, 50)),
        "rgb32_2x2": bmp(2, 2, 32, rows(2, 2, 32, 7)),
        "rgb16_bitfields": bmp(3, 3, 16, rows(3, 3, 16, 3), compression=3,
                               masks=struct.pack("<III", 0xF800, 0x07E0, 0x001F)),
        "rgb16_555": bmp(5, 2, 16, rows(5, 2, 16, 1)),
        "pal8_4x4": bmp(4, 4, 8, rows(4, 4, 8, 0), grey_palette(256), colors_used=256),
        "pal4_5x3": bmp(5, 3, 4, rows(5, 3, 4, 0x21), grey_palette(16), colors_used=16),
        "pal1_9x2": bmp(9, 2, 1, rows(9, 2, 1, 0x55), grey_palette(2), colors_used=2),
        "rle8": bmp(4, 3, 8, bytes([4, 1, 0, 0, 2, 2, 0, 2, 0, 3, 0, 4, 5, 6, 7, 8, 0, 1]),
                    grey_palette(16), compression=1, colors_used=16),
        "rle4": bmp(6, 2, 4, bytes([6, 0x12, 0, 0, 0, 5, 0x34, 0x56, 0x70, 0, 0, 1]),
                    grey_palette(16), compression=2, colors_used=16),
        "rle8_delta_past_end": bmp(4, 2, 8, bytes([0, 2, 200, 200, 3, 9, 0, 1]),
                                   grey_palette(4), compression=1, colors_used=4),
        "v5_header": bmp(2, 2, 24, rows(2, 2, 24, 0), header_size=124),
        "core_header_12": b"BM" + struct.pack("<IHHI", 26 + 12, 0, 0, 26) +
                          struct.pack("<IHHHH", 12, 2, 2, 1, 24) + rows(2, 2, 24, 0),
        # The header claims more pixel data than the file holds.
        "claims_more_data": bmp(64, 64, 24, rows(2, 2, 24, 0), declared_size=64 * 64 * 3),
        "huge_dimensions": bmp(60000, 60000, 24, rows(1, 1, 24, 0)),
        "palette_count_too_big": bmp(2, 2, 8, rows(2, 2, 8, 0), grey_palette(4), colors_used=100000),
        "zero_width": bmp(0, 2, 24, b""),
        "offset_past_end": b"BM" + struct.pack("<IHHI", 60, 0, 0, 0x7FFFFFFF) +
                           struct.pack("<IiiHHIIiiII", 40, 1, 1, 1, 24, 0, 4, 0, 0, 0, 0),
        "truncated_header": b"BM" + struct.pack("<IHHI", 60, 0, 0, 54) + b"\x28\0\0\0\x02",
        "empty": b"",
    }
    for name, data in seeds.items():
        put("bmp_picture", name + ".bmp", data)


# ---- JPEG --------------------------------------------------------------------------------------
def jpeg_writer(tmp):
    exe = os.path.join(tmp, "jpeg_seed_writer")
    source = os.path.join(os.path.dirname(os.path.abspath(__file__)), "jpeg_seed_writer.cpp")
    subprocess.run(["c++", "-O1", source, "-o", exe, "-ljpeg"], check=True)

    def encode(width, height, *options):
        out = os.path.join(tmp, "seed.jpg")
        subprocess.run([exe, out, str(width), str(height)] + list(options), check=True)
        with open(out, "rb") as f:
            return f.read()
    return encode


def set_sof_size(jpeg, width, height):
    i = 2
    while i + 4 < len(jpeg):
        marker = jpeg[i + 1]
        length = struct.unpack(">H", jpeg[i + 2:i + 4])[0]
        if marker in (0xC0, 0xC1, 0xC2):
            return jpeg[:i + 5] + struct.pack(">HH", height, width) + jpeg[i + 9:]
        i += 2 + length
    raise ValueError("no SOF marker")


def jpeg_seeds():
    with tempfile.TemporaryDirectory() as tmp:
        encode = jpeg_writer(tmp)
        plain = encode(3, 2)
        seeds = {
            "rgb_3x2": plain,
            "rgb_17x9_420": encode(17, 9, "subsample"),
            "grey_5x3": encode(5, 3, "grey"),
            "progressive_16x16": encode(16, 16, "progressive"),
            "arithmetic_8x8": encode(8, 8, "arithmetic"),
            "cmyk_4x4": encode(4, 4, "cmyk"),
            "restart_16x16": encode(16, 16, "restart", "subsample"),
        }
    seeds.update({
        # A picture that claims 60,000 x 60,000 pixels: refused before any allocation.
        "claims_60000": set_sof_size(plain, 60000, 60000),
        "zero_width": set_sof_size(plain, 0, 2),
        "truncated": plain[: len(plain) // 2],
        "header_only": plain[:2],
        "empty": b"",
        "not_jpeg": b"BM this is no picture",
    })
    for name, data in seeds.items():
        put("jpeg_picture", name + ".jpg", data)


# ---- TGA and PNG -------------------------------------------------------------------------------
def tga(width, height, image_type, bits, data, descriptor=0, id_field=b"", color_map=None):
    map_type, map_length, map_bits, map_bytes = 0, 0, 0, b""
    if color_map:
        map_bits, map_bytes = color_map
        map_type, map_length = 1, len(map_bytes) // ((map_bits + 7) // 8)
    header = struct.pack("<BBBHHBHHHHBB", len(id_field), map_type, image_type, 0, map_length,
                         map_bits, 0, 0, width, height, bits, descriptor)
    return header + id_field + map_bytes + data


def png(width, height, color_type, depth, raw_rows, interlace=0):
    import zlib

    def chunk(kind, payload):
        body = kind + payload
        return struct.pack(">I", len(payload)) + body + struct.pack(">I", zlib.crc32(body))

    ihdr = struct.pack(">IIBBBBB", width, height, depth, color_type, 0, 0, interlace)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) +
            chunk(b"IDAT", zlib.compress(raw_rows)) + chunk(b"IEND", b""))


def tga_png_seeds():
    rgb = bytes([0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255])
    seeds = {
        "rgb24.tga": tga(2, 2, 2, 24, rgb),
        "rgba32_top_down.tga": tga(2, 2, 2, 32, bytes(range(16)), descriptor=0x28),
        "rle32.tga": tga(4, 2, 10, 32, bytes([0x83, 1, 2, 3, 4, 0x01, 9, 9, 9, 9, 8, 8, 8, 8,
                                               0x81, 5, 6, 7, 8])),
        "rle_past_end.tga": tga(2, 1, 10, 24, bytes([0xFF, 1, 2, 3])),
        "grey.tga": tga(2, 2, 3, 8, bytes([0, 80, 160, 255])),
        "mapped.tga": tga(2, 2, 1, 8, bytes([0, 1, 1, 0]), color_map=(24, rgb[:6])),
        "mapped_rle16.tga": tga(2, 2, 9, 8, bytes([0x83, 1]), color_map=(16, bytes(4))),
        "rgb15.tga": tga(2, 1, 2, 16, bytes([0x1F, 0x7C, 0xE0, 0x03]), id_field=b"id"),
        "truncated.tga": tga(8, 8, 2, 24, rgb),
        "huge.tga": tga(65535, 65535, 10, 32, bytes([0xFF, 1, 2, 3, 4])),
        "rgb.png": png(2, 2, 2, 8, b"\0" + rgb[:6] + b"\1" + rgb[6:]),
        "rgba16.png": png(1, 2, 6, 16, b"\0" + bytes(8) + b"\2" + bytes(range(8))),
        "grey_interlaced.png": png(3, 3, 0, 8, b"".join(b"\4" + bytes(3) for _ in range(6)), 1),
        "short_data.png": png(64, 64, 2, 8, b"\0" * 10),
        "huge.png": png(100000, 100000, 2, 8, b"\0"),
    }
    for name, data in seeds.items():
        put("tga_png_picture", name, data)


# ---- ASE ---------------------------------------------------------------------------------------
ASE_MATERIALS = """*MATERIAL_LIST {
\t*MATERIAL_COUNT 2
\t*MATERIAL 0 {
\t\t*MATERIAL_NAME "Body"
\t\t*MATERIAL_CLASS "Multi/Sub-Object"
\t\t*MATERIAL_AMBIENT 0.5000\t0.5000\t0.5000
\t\t*MATERIAL_DIFFUSE 0.8000\t0.7000\t0.6000
\t\t*MATERIAL_SPECULAR 0.9000\t0.9000\t0.9000
\t\t*MATERIAL_SHINE 0.1000
\t\t*MATERIAL_TRANSPARENCY 0.0000
\t\t*NUMSUBMTLS 2
\t\t*SUBMATERIAL 0 {
\t\t\t*MATERIAL_NAME "Skin"
\t\t\t*MATERIAL_CLASS "Standard"
\t\t\t*MATERIAL_DIFFUSE 0.9800\t0.8000\t0.6800
\t\t\t*MATERIAL_XP_TYPE Filter
\t\t\t*MAP_DIFFUSE {
\t\t\t\t*MAP_NAME "Map #1"
\t\t\t\t*BITMAP "skin.jpg"
\t\t\t\t*UVW_U_OFFSET 0.0000
\t\t\t}
\t\t}
\t\t*SUBMATERIAL 1 {
\t\t\t*MATERIAL_NAME "Cloth"
\t\t\t*MATERIAL_CLASS "Standard"
\t\t\t*MATERIAL_DIFFUSE 0.1000\t0.2000\t0.6000
\t\t\t*MATERIAL_XP_TYPE Filter
\t\t}
\t}
\t*MATERIAL 1 {
\t\t*MATERIAL_NAME "collision"
\t\t*MATERIAL_CLASS "Standard"
\t\t*MATERIAL_XP_TYPE Filter
\t}
}
"""

ASE_TM = """\t*NODE_TM {{
\t\t*NODE_NAME "{name}"
\t\t*TM_ROW0 1.0000\t0.0000\t0.0000
\t\t*TM_ROW1 0.0000\t1.0000\t0.0000
\t\t*TM_ROW2 0.0000\t0.0000\t1.0000
\t\t*TM_ROW3 {x:.4f}\t0.0000\t{z:.4f}
\t\t*TM_ROTAXIS 0.0000\t0.0000\t1.0000
\t\t*TM_ROTANGLE 0.0000
\t\t*TM_SCALE 1.0000\t1.0000\t1.0000
\t}}
"""

ASE_ANIMATION = """\t*TM_ANIMATION {
\t\t*NODE_NAME "Bip01"
\t\t*CONTROL_POS_TRACK {
\t\t\t*CONTROL_POS_SAMPLE 0\t0.0000\t0.0000\t1.0000
\t\t\t*CONTROL_POS_SAMPLE 160\t0.5000\t0.0000\t1.0000
\t\t}
\t\t*CONTROL_ROT_TRACK {
\t\t\t*CONTROL_ROT_SAMPLE 0\t0.0000\t0.0000\t1.0000\t0.0000
\t\t\t*CONTROL_ROT_SAMPLE 160\t0.0000\t0.0000\t1.0000\t0.3000
\t\t}
\t\t*CONTROL_ROT_TCB {
\t\t\t*CONTROL_TCB_ROT_KEY 0\t1.0000\t0.0000\t0.0000\t0.1000\t0.0\t0.0\t0.0\t0.0\t0.0
\t\t}
\t\t*CONTROL_POS_BEZIER {
\t\t\t*CONTROL_BEZIER_POS_KEY 320\t0.0\t0.0\t1.0\t0.0\t0.0\t0.0\t0.0\t0.0\t0.0\t0
\t\t}
\t\t*CONTROL_ROT_BEZIER {
\t\t\t*CONTROL_BEZIER_ROT_KEY 320\t0.0\t1.0\t0.0\t0.2
\t\t}
\t\t*CONTROL_SCALE_BEZIER {
\t\t\t*CONTROL_BEZIER_SCALE_KEY 0\t1.0\t1.0\t1.0\t0.0\t0.0\t0.0\t0.0\t0.0\t0.0\t0.0\t0
\t\t}
\t}
"""

ASE_MESH = """\t*MESH {
\t\t*TIMEVALUE 0
\t\t*MESH_NUMVERTEX 4
\t\t*MESH_NUMFACES 2
\t\t*MESH_VERTEX_LIST {
\t\t\t*MESH_VERTEX    0\t0.0000\t0.0000\t0.0000
\t\t\t*MESH_VERTEX    1\t1.0000\t0.0000\t0.0000
\t\t\t*MESH_VERTEX    2\t1.0000\t1.0000\t0.0000
\t\t\t*MESH_VERTEX    3\t0.0000\t1.0000\t0.0000
\t\t}
\t\t*MESH_FACE_LIST {
\t\t\t*MESH_FACE    0:    A:    0 B:    1 C:    2 AB:    1 BC:    1 CA:    0\t *MESH_SMOOTHING 1 \t*MESH_MTLID 0
\t\t\t*MESH_FACE    1:    A:    0 B:    2 C:    3 AB:    0 BC:    1 CA:    1\t *MESH_SMOOTHING 1 \t*MESH_MTLID 1
\t\t}
\t\t*MESH_NUMTVERTEX 4
\t\t*MESH_TVERTLIST {
\t\t\t*MESH_TVERT 0\t0.0000\t0.0000\t0.0000
\t\t\t*MESH_TVERT 1\t1.0000\t0.0000\t0.0000
\t\t\t*MESH_TVERT 2\t1.0000\t1.0000\t0.0000
\t\t\t*MESH_TVERT 3\t0.0000\t1.0000\t0.0000
\t\t}
\t\t*MESH_NUMTVFACES 2
\t\t*MESH_TFACELIST {
\t\t\t*MESH_TFACE 0\t0\t1\t2
\t\t\t*MESH_TFACE 1\t0\t2\t3
\t\t}
\t\t*MESH_NORMALS {
\t\t\t*MESH_FACENORMAL 0\t0.0000\t0.0000\t1.0000
\t\t\t\t*MESH_VERTEXNORMAL 0\t0.0000\t0.0000\t1.0000
\t\t\t*MESH_FACENORMAL 1\t0.0000\t0.0000\t1.0000
\t\t}
\t}
"""


def ase_seeds():
    head = ('*3DSMAX_ASCIIEXPORT\t200\n*COMMENT "seed"\n*SCENE {\n\t*SCENE_FILENAME "seed.max"\n'
            '\t*SCENE_FIRSTFRAME 0\n\t*SCENE_LASTFRAME 3\n\t*SCENE_TICKSPERFRAME 160\n}\n')
    helper = ('*HELPEROBJECT {\n\t*NODE_NAME "Bip01"\n\t*HELPER_CLASS "Bone"\n' +
              ASE_TM.format(name="Bip01", x=0, z=1) + ASE_ANIMATION + "}\n")
    geom = ('*GEOMOBJECT {\n\t*NODE_NAME "Body"\n\t*NODE_PARENT "Bip01"\n' +
            ASE_TM.format(name="Body", x=0, z=0) + ASE_MESH + "\t*MATERIAL_REF 0\n}\n")
    box = ('*GEOMOBJECT {\n\t*NODE_NAME "Box"\n\t*NODE_PARENT "Bip01"\n' +
           ASE_TM.format(name="Box", x=0, z=0) + ASE_MESH + "\t*MATERIAL_REF 1\n}\n")
    camera = ('*CAMERAOBJECT {\n\t*NODE_NAME "Camera01"\n' + ASE_TM.format(name="Camera01", x=1, z=1) +
              '\t*CAMERA_SETTINGS {\n\t\t*CAMERA_FOV 0.7\n\t}\n}\n')
    light = ('*LIGHTOBJECT {\n\t*NODE_NAME "Omni01"\n\t*LIGHT_TYPE Omni\n' +
             ASE_TM.format(name="Omni01", x=1, z=1) + '\t*LIGHT_SETTINGS {\n\t}\n}\n')
    full = head + ASE_MATERIALS + helper + geom + box + camera + light
    seeds = {
        "character": full,
        "character_crlf": full.replace("\n", "\r\n"),
        "no_magic": full.split("\n", 1)[1],
        "truncated": full[: len(full) // 2],
        # A block that never closes, and a skipped block that never closes.
        "unclosed_block": head + "*GEOMOBJECT {\n\t*NODE_NAME \"Body\"\n\t*MESH {\n\t\t*MESH_VERTEX_LIST {\n",
        "unclosed_skipped_block": head + "*UNKNOWN_THING {\n\t*NESTED {\n\t\t{\n",
        "long_line": head + "*COMMENT " + "x" * 3000 + "\n" + "*MATERIAL_LIST {" + "{" * 500 + "\n",
        "empty": "",
        "quote_unclosed": head + '*GEOMOBJECT {\n\t*NODE_NAME "Body\n}\n',
        "indices_far": head + ('*GEOMOBJECT {\n\t*NODE_NAME "Body"\n\t*MESH {\n\t\t*MESH_NUMVERTEX 1\n'
                               '\t\t*MESH_VERTEX_LIST {\n\t\t\t*MESH_VERTEX 0\t0 0 0\n\t\t}\n'
                               '\t\t*MESH_FACE_LIST {\n\t\t\t*MESH_FACE 0: A: 99999 B: -5 C: 2147483647 '
                               'AB: 1 BC: 1 CA: 1 *MESH_SMOOTHING 1 \t*MESH_MTLID 300\n\t\t}\n'
                               '\t\t*MESH_TFACELIST {\n\t\t\t*MESH_TFACE 0\t7\t8\t9\n\t\t\t*MESH_TFACE 9\t1\t1\t1\n\t\t}\n'
                               '\t\t*MESH_NORMALS {\n\t\t\t*MESH_FACENORMAL 77\t0 0 1\n\t\t}\n\t}\n'
                               '\t*MATERIAL_REF 255\n}\n'),
        "materials_300": "*MATERIAL_LIST {\n\t*MATERIAL_COUNT 300\n" + "".join(
            '\t*MATERIAL %d {\n\t\t*MATERIAL_NAME "M%d"\n\t\t*MATERIAL_CLASS "Standard"\n\t}\n' % (i, i)
            for i in range(300)) + "}\n",
        "scene_extremes": ("*SCENE {\n\t*SCENE_FIRSTFRAME -2147483648\n\t*SCENE_LASTFRAME 2147483647\n"
                           "\t*SCENE_TICKSPERFRAME 0\n}\n" + helper),
    }
    for name, data in seeds.items():
        put("ase_reader", name + ".ase", data)


# ---- VUE and skin ------------------------------------------------------------------------------
# The VUE and skin targets read into small characters of their own: meshes "A" and "Left Hand"
# and a helper "Bone" for VUE; a skin mesh "Skin", a mesh "Plain" and bones "Bip01 Pelvis" and
# "Bip01 L Arm" for skin files.
def vue_seeds():
    tf = 'transform "%s" 1 0 0 0 1 0 0 0 1 %d %d %d\n'
    seeds = {
        "two_frames": ("frame 0\n" + tf % ("A", 0, 0, 0) + tf % ("Left Hand", 1, 2, 3) + "camera \"Camera01\" 1 2 3\n"
                       "light \"Omni01\" 0 0 0\nspotlight \"Spot01\" 0 0 0\nframe 1\n" + tf % ("A", 1, 0, 0)),
        "before_frame": tf % ("A", 5, 5, 5) + "frame 0\n",
        "unknown_names": "frame 0\n" + tf % ("Nobody", 0, 0, 0) + tf % ("Left", 0, 0, 0),
        "bad_numbers": 'frame 0\ntransform "A" 1 x 0 nan inf -1e39 0 0 1\n',
        "long_name": 'frame 0\ntransform "' + "N" * 10000 + '" 1 0 0 0 1 0 0 0 1 0 0 0\n',
        "long_word": "w" * 500 + "\nframe 0\n",
        "unclosed_quote": 'frame 0\ntransform "A 1 0 0',
        "no_quote": "frame 0\ntransform Body 1 0 0 0 1 0 0 0 1 0 0 0\n",
        "empty": "",
    }
    for name, data in seeds.items():
        put("vue_reader", name + ".vue", data)


def skin_seeds():
    seeds = {
        "skin": ('MESH_SKIN_FILE "Skin"\n"Bip01 L Arm" 3\n1 2 3\n"Bip01 Pelvis" 2\n4;\n1\n'),
        "two_bones_in_row": 'MESH_SKIN_FILE "Skin"\n"Bip01 L Arm" 2\n"Bip01 Pelvis" 1\n2\n',
        "indices_before_bone": 'MESH_SKIN_FILE "Skin"\n1 2 3\n"Bip01 L Arm" 1\n1\n',
        "more_than_declared": 'MESH_SKIN_FILE "Skin"\n"Bip01 L Arm" 2\n1 2 3 4 5 6 7 8\n',
        "vertex_4000000": 'MESH_SKIN_FILE "Skin"\n"Bip01 L Arm" 3\n1 4000000 0\n',
        "negative_count": 'MESH_SKIN_FILE "Skin"\n"Bip01 L Arm" -5\n1 2\n"Bip01 Pelvis" 4000000000\n1\n',
        "huge_count": 'MESH_SKIN_FILE "Skin"\n"Bip01 L Arm" 2147483647\n1\n',
        "unknown_mesh": 'MESH_SKIN_FILE "Nobody"\n"Bip01 L Arm" 1\n1\n',
        "lower_case_header": 'mesh_skin_file "Skin"\n"Bip01 L Arm" 1\n1\n',
        "no_name": "MESH_SKIN_FILE\n",
        "unclosed_quote": 'MESH_SKIN_FILE "Skin\n"Bip01 L Arm 1\n1\n',
        "long_line": 'MESH_SKIN_FILE "Skin"\n"Bip01 L Arm" 200\n' + " ".join(str(i % 4 + 1) for i in range(200)) + "\n",
        "plain_mesh": 'MESH_SKIN_FILE "Plain"\n"Bip01 Pelvis" 4\n1 2 3 4\n',
        "empty": "",
    }
    for name, data in seeds.items():
        put("skin_file_reader", name + ".skn", data)


def main():
    bne_seeds()
    bmp_seeds()
    jpeg_seeds()
    tga_png_seeds()
    ase_seeds()
    vue_seeds()
    skin_seeds()
    return 0


if __name__ == "__main__":
    sys.exit(main())
