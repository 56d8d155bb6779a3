// The ASE reader's block parsers: one function per block of the export, each reading lines until
// its closing '}' (or the end of the file) and passing what it meets to the model builder and,
// when a copy is written, to the BNE writer.
//
// Exporters sometimes leave out a closing brace. A line that opens a top-level block inside any
// block but a group therefore closes every block above it up to the top level (or the group):
// Next() holds the line back and answers false until the parsers have returned to ParseTop, so
// each block ends through its parser's own ending, innermost first, as at its '}'.
#include <cstdio>
#include <string>
#include <vector>

#include "files/input_file.h"
#include "files/path_text.h"
#include "modelfile/ase_tokenizer.h"
#include "modelfile/model_text.h"
#include "modelfile/orix_file_ase.h"
#include "modelfile/orix_file_bne.h"
#include "platform/messages.h"
#include "scene/mesh.h"

namespace orix {

namespace {

constexpr float kTwoPi = 6.2831855f;
// Material and sub-material counts and indices are single bytes in a BNE file.
constexpr int32_t kBneMaxMaterials = 255;

class AseParser {
public:
    AseParser(const char* data, size_t size, ModelBuilder* builder, OrixFileBne* copy,
              uint32_t flags)
        : lines_(data, size), b_(*builder), w_(copy), flags_(flags) {}

    // False when the builder refused the file.
    bool Run() {
        ParseTop(false);
        return ok_;
    }
    // The text held a scene block, a material list or an object.
    bool FoundExport() const { return found_; }

private:
    struct OpenBlock {
        std::string keyword;
        size_t line;
    };
    // Keeps the block being parsed on the stack of open blocks while it is read.
    class BlockScope {
    public:
        explicit BlockScope(AseParser* p) : p_(p) {
            p_->open_.push_back({std::string(p_->line_.keyword), p_->line_.number});
        }
        ~BlockScope() { p_->open_.pop_back(); }
        BlockScope(const BlockScope&) = delete;
        BlockScope& operator=(const BlockScope&) = delete;

    private:
        AseParser* p_;
    };

    bool Next() {
        if (!ok_) return false;
        if (held_) {
            if (InBlockOtherThanGroup()) return false;
            held_ = false;
            return true;
        }
        if (lines_.Next(&line_, materialList_)) {
            // Wherever it stands (an unclosed block may swallow it), such a block makes the
            // text an export.
            std::string_view k = line_.keyword;
            if (line_.opens && (k == "*SCENE" || k == "*MATERIAL_LIST" ||
                                (k.size() > 6 && k.substr(k.size() - 6) == "OBJECT"))) {
                found_ = true;
            }
            if (line_.opens && InBlockOtherThanGroup() && OpensTopLevelBlock()) {
                CloseUnclosedBlocks();
                return false;
            }
            return true;
        }
        if (!atEnd_ && !open_.empty()) {
            unclosed_ = open_.back();
            outermost_ = open_.front();
            hasUnclosed_ = true;
        }
        atEnd_ = true;
        return false;
    }
    void Warn(size_t line, const std::string& text) {
        b_.Warn("line " + std::to_string(line) + ": " + text);
    }
    static std::string NeverCloses(const OpenBlock& inner, const OpenBlock& outer) {
        std::string where = inner.keyword + " block never closes";
        if (inner.line != outer.line) {
            where += " (in the " + outer.keyword + " of line " + std::to_string(outer.line) + ")";
        }
        return where;
    }
    // Reports the block the file left open at its end (once), with what became of it.
    void ReportUnclosed(const std::string& fate) {
        if (!hasUnclosed_ || reported_) return;
        reported_ = true;
        Warn(unclosed_.line, NeverCloses(unclosed_, outermost_) + "; " + fate);
    }
    bool InBlockOtherThanGroup() const {
        return !open_.empty() && open_.back().keyword != "*GROUP";
    }
    // Only a top-level block opens with these keywords, so one met inside another block means
    // the blocks above it were never closed.
    bool OpensTopLevelBlock() const {
        if (line_.continued) return false;
        for (std::string_view k : {"*GEOMOBJECT", "*HELPEROBJECT", "*SHAPEOBJECT", "*LIGHTOBJECT",
                                   "*CAMERAOBJECT", "*GROUP", "*MATERIAL_LIST", "*SCENE"}) {
            if (line_.keyword == k) return true;
        }
        return false;
    }
    // Holds the line back until the blocks up to the top level or the enclosing group are closed.
    void CloseUnclosedBlocks() {
        size_t outer = open_.size() - 1;
        while (outer > 0 && open_[outer - 1].keyword != "*GROUP") --outer;
        Warn(open_.back().line, NeverCloses(open_.back(), open_[outer]) + "; closed at line " +
                                    std::to_string(line_.number) + ", where a " +
                                    std::string(line_.keyword) + " block begins");
        held_ = true;
    }
    bool Is(std::string_view keyword) const { return line_.keyword == keyword; }
    void Fail(bool ok) {
        if (!ok) ok_ = false;
    }
    std::string Text() const { return std::string(line_.value); }
    int32_t IntValue() const {
        int32_t v = 0;
        AseScanner(line_.value).Int(&v);
        return v;
    }
    bool Floats(float* out, int count) const {
        AseScanner s(line_.value);
        for (int i = 0; i < count; ++i) {
            if (!s.Float(&out[i])) return false;
        }
        return true;
    }

    // A nested block the current block does not know; ends at the end of the file too. The
    // first node name at its own level is kept for messages.
    void SkipBlock() {
        BlockScope scope(this);
        skippedName_.clear();
        int depth = 1;
        while (depth > 0 && Next()) {
            if (line_.closes) {
                --depth;
            } else if (line_.opens) {
                ++depth;
            } else if (depth == 1 && skippedName_.empty() && Is("*NODE_NAME")) {
                skippedName_ = Text();
            }
        }
    }
    void Unknown() {
        if (line_.opens) SkipBlock();
    }

    void ParseTop(bool inGroup);
    void ParseScene();
    void ParseMaterialList();
    void ParseMaterial(bool sub);
    void ParseMap();
    void ParseObject(bool geometry);
    void ParseNodeTm();
    void ParseMesh();
    void ParseNormals();
    void ParseAnimation();
    template <typename F>
    void ParseList(F each);

    AseLineReader lines_;
    AseLine line_;
    ModelBuilder& b_;
    OrixFileBne* w_;
    uint32_t flags_;
    bool ok_ = true;
    bool found_ = false;
    bool atEnd_ = false;
    bool held_ = false;  // line_ closed the blocks above it and waits for ParseTop
    bool hasUnclosed_ = false;
    bool reported_ = false;
    std::vector<OpenBlock> open_;
    OpenBlock unclosed_;
    OpenBlock outermost_;
    std::string skippedName_;
    std::string nodeName_;  // of the object being read
    int32_t materialsMade_ = 0;
    bool materialList_ = false;
    int groupDepth_ = 0;
    static constexpr int kMaxGroupDepth = 64;
};

void AseParser::ParseTop(bool inGroup) {
    while (Next()) {
        size_t lineNumber = line_.number;
        if (line_.closes) {
            if (inGroup) return;
        } else if (Is("*SCENE")) {
            ParseScene();
        } else if (Is("*MATERIAL_LIST")) {
            if (flags_ & kAseSkipMaterials) {
                Unknown();
            } else {
                materialList_ = true;
                ParseMaterialList();
                materialList_ = false;
            }
        } else if (Is("*GEOMOBJECT")) {
            ParseObject(true);
        } else if (Is("*HELPEROBJECT")) {
            ParseObject(false);
        } else if (Is("*CAMERAOBJECT")) {
            // No camera is made for a model; the block is passed over whole.
            b_.BeginCamera();
            skippedName_.clear();
            Unknown();
            Warn(lineNumber, "camera \"" + skippedName_ + "\" skipped; a model holds no cameras");
            if (w_) w_->WriteEndCamera();
            b_.EndCamera();
        } else if (Is("*LIGHTOBJECT")) {
            skippedName_.clear();
            Unknown();
            Warn(lineNumber, "light \"" + skippedName_ + "\" skipped; a model holds no lights");
        } else if (Is("*GROUP")) {
            // Grouped objects belong to the model like any others; groups nested deeper than
            // any export makes are skipped, so hostile nesting cannot exhaust the stack.
            if (line_.opens && groupDepth_ < kMaxGroupDepth) {
                BlockScope scope(this);
                ++groupDepth_;
                ParseTop(true);
                --groupDepth_;
            } else {
                Unknown();
            }
        } else {
            Unknown();  // the magic, comments, shapes and what the reader does not know
        }
        ReportUnclosed("the rest of the file was read as part of it");
    }
}

void AseParser::ParseScene() {
    BlockScope scope(this);
    int32_t first = 0, last = 0, ticks = 160;
    float speed = 0.0f;
    while (Next() && !line_.closes) {
        if (Is("*SCENE_FIRSTFRAME")) {
            first = IntValue();
        } else if (Is("*SCENE_LASTFRAME")) {
            last = IntValue();
        } else if (Is("*SCENE_TICKSPERFRAME")) {
            ticks = IntValue();
        } else if (Is("*SCENE_FRAMESPEED")) {
            Floats(&speed, 1);
        } else {
            Unknown();
        }
    }
    b_.SetSceneInfo(first, last, ticks);
    b_.SetFrameSpeed(speed);
    if (w_) w_->WriteSceneInfo(uint32_t(first), uint32_t(last), uint32_t(ticks));
}

void AseParser::ParseMaterialList() {
    BlockScope scope(this);
    while (Next() && !line_.closes) {
        if (Is("*MATERIAL_COUNT")) {
            if (w_) w_->WriteMaterialList(uint32_t(IntValue()));
        } else if (Is("*MATERIAL") && line_.opens) {
            // The list's short-value rule is for its own lines; colours need the whole value.
            materialList_ = false;
            ParseMaterial(false);
            materialList_ = true;
        } else {
            Unknown();
        }
    }
}

void AseParser::ParseMaterial(bool sub) {
    BlockScope scope(this);
    // A top-level material is made at its class line, so that its name (met first) decides the
    // collision mark; exports without that line still get one material per block.
    bool made = sub;
    std::string name;
    int32_t subCount = 0;
    int32_t subMade = 0;
    auto make = [&]() {
        if (made) return;
        made = true;
        Fail(b_.BeginMaterial(name));
        if (w_ && ++materialsMade_ > kBneMaxMaterials) {
            w_->RefuseFile(b_.SourceName() + " has more than 255 materials; a BNE file holds " +
                           "at most 255");
        }
        if (w_) w_->WriteMaterialHeader(name);
    };
    while (Next() && !line_.closes) {
        if (Is("*MATERIAL_NAME")) {
            name = Text();
            bool collision = EqualsIgnoringCase(line_.value, "Collision");
            b_.SetCollisionFlag(collision);
            if (sub) {
                if (collision) b_.MarkCurrentCollision();
                if (w_) w_->WriteMaterialHeader(name);
            }
        } else if (Is("*MATERIAL_CLASS")) {
            make();
        } else if (Is("*MATERIAL_AMBIENT") || Is("*MATERIAL_DIFFUSE") || Is("*MATERIAL_SPECULAR")) {
            make();
            float c[3] = {};
            Floats(c, 3);
            if (Is("*MATERIAL_AMBIENT")) {
                b_.SetAmbient(c[0], c[1], c[2]);
                if (w_) w_->WriteAmbient(c[0], c[1], c[2]);
            } else if (Is("*MATERIAL_DIFFUSE")) {
                b_.SetDiffuse(c[0], c[1], c[2]);
                if (w_) w_->WriteDiffuse(c[0], c[1], c[2]);
            } else {
                b_.SetSpecular(c[0], c[1], c[2]);
                if (w_) w_->WriteSpecular(c[0], c[1], c[2]);
            }
        } else if (Is("*MATERIAL_TRANSPARENCY")) {
            make();
            float t = 0.0f;
            Floats(&t, 1);
            b_.SetTransparency(t);
            if (w_) w_->WriteTransparency(t);
        } else if (Is("*MATERIAL_XP_TYPE")) {
            make();
            // Inside a sub-material the end record waits for the block's end, or the BNE reader
            // would close the list before the sub-material's own map.
            if (w_ && !sub) w_->WriteEndMaterial();
        } else if (Is("*MAP_DIFFUSE") && line_.opens) {
            make();
            ParseMap();
        } else if (Is("*NUMSUBMTLS")) {
            make();
            subCount = IntValue();
        } else if (Is("*SUBMATERIAL") && line_.opens && !sub) {
            make();
            int32_t index = IntValue();
            if (w_ && ++subMade > kBneMaxMaterials) {
                w_->RefuseFile(b_.SourceName() + ": material \"" + name +
                               "\" has more than 255 sub-materials; a BNE file holds at most 255");
            }
            if (w_) {
                w_->WriteSubMaterialList(uint32_t(subCount));
                w_->WriteSubMaterialHeader(uint32_t(index));
            }
            b_.SubMaterialList();
            Fail(b_.SubMaterialHeader());
            if (!ok_) return;
            ParseMaterial(true);
            b_.EndMaterial();
            if (w_) w_->WriteEndMaterial();
        } else {
            Unknown();  // shine, sub-sub-materials (one level is kept), other maps
        }
    }
    make();
}

void AseParser::ParseMap() {
    BlockScope scope(this);
    while (Next() && !line_.closes) {
        if (Is("*BITMAP")) {
            std::string picture = Text();
            Fail(b_.MapDiffuse(picture));
            if (w_) w_->WriteMapDiffuse(picture);
        } else {
            Unknown();
        }
    }
}

void AseParser::ParseObject(bool geometry) {
    BlockScope scope(this);
    bool made = false;
    nodeName_.clear();
    long copyMark = w_ ? w_->Tell() : 0;
    auto make = [&](const std::string& name) {
        if (made) return;
        made = true;
        nodeName_ = name;
        if (geometry) {
            Fail(b_.BeginGeometry(name));
            if (w_) w_->WriteGeometryHeader(name);
        } else {
            Fail(b_.BeginHelper(name));
            if (w_) w_->WriteHelperHeader(name);
        }
    };
    while (Next() && !line_.closes) {
        if (Is("*NODE_NAME")) {
            make(Text());
        } else if (Is("*NODE_PARENT")) {
            make("");
            b_.NodeParent(Text());
            if (w_) w_->WriteNodeParent(Text());
        } else if (Is("*NODE_TM") && line_.opens) {
            make("");
            ParseNodeTm();
            b_.EndNodeTransform();
            if (w_) w_->WriteEndNodeTransform();
        } else if (geometry && Is("*MESH") && line_.opens) {
            make("");
            ParseMesh();
        } else if (Is("*TM_ANIMATION") && line_.opens && (flags_ & kAseFinishNodes)) {
            make("");
            b_.AnimationHeader();
            if (w_) w_->WriteAnimationHeader();
            ParseAnimation();
        } else if (geometry && Is("*MATERIAL_REF") && !(flags_ & kAseSkipMaterials)) {
            make("");
            int32_t index = IntValue();
            Fail(b_.MaterialReference(index));
            // An index past every material stays one past them in the copy's single byte.
            if (w_) w_->WriteMaterialReference(index < 0 || index > 255 ? 255u : uint32_t(index));
        } else {
            Unknown();
        }
    }
    if (hasUnclosed_ && !reported_) {
        // Whatever the file held after the block began was read into it: the object is not
        // what the file meant, so it goes, here and in the copy. A mesh target keeps it, as it
        // keeps every object's geometry.
        std::string kind = geometry ? "geometry object" : "helper object";
        std::string name;
        if (!made || b_.DropCurrentNode(&name)) {
            if (w_) w_->Truncate(copyMark);
            ReportUnclosed(kind + (name.empty() ? "" : " \"" + name + "\"") + " dropped");
            return;
        }
        ReportUnclosed("the rest of the file was read into the " + kind);
    }
    if (!made || !ok_) return;
    if (geometry) {
        if (w_) w_->WriteEndGeometry();
        b_.EndGeometry();
    } else {
        if (w_) w_->WriteEndHelper();
        b_.EndHelper();
    }
}

void AseParser::ParseNodeTm() {
    BlockScope scope(this);
    float rows[4][3] = {};
    const char* rowNames[4] = {"*TM_ROW0", "*TM_ROW1", "*TM_ROW2", "*TM_ROW3"};
    while (Next() && !line_.closes) {
        int row = -1;
        for (int i = 0; i < 4; ++i) {
            if (Is(rowNames[i])) row = i;
        }
        float v[3] = {};
        if (row >= 0) {
            Floats(rows[row], 3);
            if (row == 3) {
                // Y and Z exchanged on both sides: rows 1 and 2 swap, and so do columns 1 and 2.
                Matrix m;
                const int src[4] = {0, 2, 1, 3};
                for (int r = 0; r < 4; ++r) {
                    m.m[r][0] = rows[src[r]][0];
                    m.m[r][1] = rows[src[r]][2];
                    m.m[r][2] = rows[src[r]][1];
                }
                const Matrix kept = b_.NodeTransform(m);
                if (w_) w_->WriteNodeTransform(kept);
            }
        } else if (Is("*TM_ROTAXIS")) {
            Floats(v, 3);
            b_.RotationAxis(v[0], v[2], v[1]);
            if (w_) w_->WriteRotationAxis(v[0], v[2], v[1]);
        } else if (Is("*TM_ROTANGLE")) {
            Floats(v, 1);
            b_.RotationAngle(kTwoPi - v[0]);
            if (w_) w_->WriteRotationAngle(kTwoPi - v[0]);
        } else if (Is("*TM_SCALE")) {
            Floats(v, 3);
            b_.Scale(v[0], v[2], v[1]);
            if (w_) w_->WriteScale(v[0], v[2], v[1]);
        } else {
            Unknown();
        }
    }
}

template <typename F>
void AseParser::ParseList(F each) {
    BlockScope scope(this);
    while (Next() && !line_.closes) {
        if (line_.opens) {
            SkipBlock();
        } else if (!line_.keyword.empty()) {
            each(AseScanner(line_.value));
        }
    }
}

void AseParser::ParseMesh() {
    BlockScope scope(this);
    int32_t vertexCount = 0;
    while (Next() && !line_.closes) {
        if (Is("*MESH_NUMVERTEX")) {
            vertexCount = IntValue();
        } else if (Is("*MESH_NUMFACES")) {
            if (w_) w_->WriteMeshHeader(uint32_t(vertexCount), uint32_t(IntValue()));
        } else if (Is("*MESH_VERTEX_LIST") && line_.opens) {
            ParseList([&](AseScanner s) {
                int32_t index = 0;
                float x = 0, y = 0, z = 0;
                if (!s.Int(&index) || !s.Float(&x) || !s.Float(&y) || !s.Float(&z)) return;
                b_.AddVertex(x, z, y);
                if (w_) w_->WriteVertex(x, z, y);
            });
        } else if (Is("*MESH_FACE_LIST") && line_.opens) {
            ParseList([&](AseScanner s) {
                int32_t index = 0, a = 0, bb = 0, c = 0, material = 0;
                if (!s.Int(&index) || !s.SkipPast("A:") || !s.Int(&a) || !s.SkipPast("B:") ||
                    !s.Int(&bb) || !s.SkipPast("C:") || !s.Int(&c)) {
                    return;
                }
                // The smoothing value may be empty or a list; the material id is found by name.
                if (s.SkipPast("*MESH_MTLID") && !s.Int(&material)) material = 0;
                b_.AddFace(a, c, bb, material);
                // Ids past 255 select no sub-material (at most 255 exist), as 255 does.
                uint32_t stored = material < 0 || material > 255 ? 255u : uint32_t(material);
                if (w_) w_->WriteFace(uint32_t(a), uint32_t(c), uint32_t(bb), stored);
            });
        } else if (Is("*MESH_NUMTVERTEX")) {
            if (w_) w_->WriteTextureVertexList(uint32_t(IntValue()));
        } else if (Is("*MESH_TVERTLIST") && line_.opens) {
            int64_t lastIndex = -1;
            ParseList([&](AseScanner s) {
                int32_t index = 0;
                float u = 0, v = 0;
                if (!s.Int(&index) || !s.Float(&u) || !s.Float(&v)) return;
                lastIndex = index;
                b_.AddTexVertex(u, 1.0f - v);
                if (w_) w_->WriteTextureVertex(u, 1.0f - v);
            });
            Mesh* g = b_.CurrentGeometry();
            if (g) b_.SetTexCoordsOneToOne(int64_t(g->vertexCount) == lastIndex + 1);
        } else if (Is("*MESH_NUMTVFACES")) {
            if (w_) w_->WriteTextureFaceList(uint32_t(IntValue()));
        } else if (Is("*MESH_TFACELIST") && line_.opens) {
            ParseList([&](AseScanner s) {
                int32_t index = 0, a = 0, bb = 0, c = 0;
                if (!s.Int(&index) || !s.Int(&a) || !s.Int(&bb) || !s.Int(&c)) return;
                b_.AddTexFace(a, c, bb);
                if (w_) w_->WriteTextureFace(uint32_t(a), uint32_t(c), uint32_t(bb));
            });
        } else if (Is("*MESH_NORMALS") && line_.opens) {
            ParseNormals();
        } else {
            Unknown();
        }
    }
}

void AseParser::ParseNormals() {
    BlockScope scope(this);
    while (Next() && !line_.closes) {
        if (Is("*MESH_FACENORMAL")) {
            AseScanner s(line_.value);
            int32_t face = 0;
            float x = 0, y = 0, z = 0;
            if (!s.Int(&face) || !s.Float(&x) || !s.Float(&y) || !s.Float(&z)) continue;
            b_.FaceNormal(face, x, z, y);
            if (w_) w_->WriteFaceNormal(uint32_t(face), x, z, y);
        } else {
            Unknown();
        }
    }
}

void AseParser::ParseAnimation() {
    BlockScope scope(this);
    while (Next() && !line_.closes) {
        bool bezierPos = Is("*CONTROL_POS_BEZIER"), trackPos = Is("*CONTROL_POS_TRACK");
        bool bezierRot = Is("*CONTROL_ROT_BEZIER"), trackRot = Is("*CONTROL_ROT_TRACK");
        bool tcbRot = Is("*CONTROL_ROT_TCB"), bezierScale = Is("*CONTROL_SCALE_BEZIER");
        if (!line_.opens ||
            !(bezierPos || trackPos || bezierRot || trackRot || tcbRot || bezierScale)) {
            if (line_.opens && line_.keyword.substr(0, 9) == "*CONTROL_") {
                Warn(line_.number, "node \"" + nodeName_ + "\": " + std::string(line_.keyword) +
                                       " track dropped; the engine does not play it");
            }
            Unknown();
            continue;
        }
        bool first = true;
        ParseList([&](AseScanner s) {
            int32_t time = 0;
            float v[4] = {};
            int count = (bezierRot || trackRot || tcbRot) ? 4 : 3;
            if (!s.Int(&time)) return;
            for (int i = 0; i < count; ++i) {
                if (!s.Float(&v[i])) return;
            }
            float frame = b_.FrameOfSignedTicks(time);
            uint32_t ticks = uint32_t(time);
            if (bezierPos || trackPos) {
                const Vector3 p = b_.PositionKey(frame, v[0], v[2], v[1]);
                if (w_ && bezierPos) w_->WriteBezierPosition(ticks, p.x, p.y, p.z);
                if (w_ && trackPos) w_->WriteSamplePosition(ticks, p.x, p.y, p.z);
            } else if (bezierRot) {
                b_.RotationKey(frame, v[0], v[2], v[1], -v[3]);
                if (w_) w_->WriteBezierRotation(ticks, v[0], v[2], v[1], -v[3]);
            } else if (trackRot || tcbRot) {
                b_.RelativeRotationKey(frame, v[0], v[2], v[1], -v[3], first);
                first = false;
                if (w_ && trackRot) w_->WriteSampleRotation(ticks, v[0], v[2], v[1], -v[3]);
                if (w_ && tcbRot) w_->WriteTcbRotation(ticks, v[0], v[2], v[1], -v[3]);
            } else {
                b_.ScaleKey(frame, v[0], v[2], v[1]);
                if (w_) w_->WriteBezierScale(ticks, v[0], v[2], v[1]);
            }
        });
    }
}

}  // namespace

OrixFileAse::OrixFileAse(SkinnedCharacter* target) {
    if (target) builder_.SetTarget(target);
}

OrixFileAse::OrixFileAse(Mesh* target) {
    if (target) builder_.SetTarget(target);
}

OrixFileAse::~OrixFileAse() {
    FinishCopy();
}

bool OrixFileAse::FinishCopy() {
    if (copy_ && copy_->IsWriting()) copy_->WriteFileEnd();
    return !CopyFailed();
}

std::string OrixFileAse::CopyNameFor(const std::string& aseName) {
    size_t dot = aseName.find('.');
    return (dot == std::string::npos ? std::string() : aseName.substr(0, dot + 1)) + "bne";
}

bool OrixFileAse::CopyFailed() const {
    return copyFailed_ || (copy_ && copy_->WriteFailed());
}

bool OrixFileAse::Load(const std::string& fileName, uint32_t flags) {
    std::vector<char> text;
    std::string error;
    if (!ReadWholeFile(fileName, &text, &error)) {
        ShowMessageBox("Can't load " + fileName, kLoadCaption);
        return false;
    }
    return LoadBytes(text.data(), text.size(), fileName, flags);
}

bool OrixFileAse::LoadBytes(const char* data, size_t size, const std::string& name,
                            uint32_t flags) {
    std::string decoded;
    if (DecodeAseText(data, size, &decoded)) {
        data = decoded.data();
        size = decoded.size();
    }
    if (flags & kAseWriteBne) {
        copy_ = std::make_unique<OrixFileBne>();
        if (copy_->Create(copyName_.empty() ? CopyNameFor(name) : copyName_)) {
            // Without its magic the copy could not be read back, whatever the text's first line.
            copy_->WriteMagic();
        } else {
            copyFailed_ = true;
        }
    }
    OrixFileBne* writer = copy_ && copy_->IsWriting() ? copy_.get() : nullptr;
    // A failed load's copy is never finished, so it never replaces a file.
    auto fail = [writer] {
        if (writer) writer->Abandon();
        return false;
    };
    if (!builder_.Begin(name, flags)) return fail();
    AseParser parser(data, size, &builder_, writer, flags);
    if (!parser.Run()) return fail();
    if (!parser.FoundExport()) {
        // Empty or plain text: reading it as a model with nothing in it would pass for success.
        ShowMessageBox(name + " is not an ASE export", kLoadCaption);
        return fail();
    }
    builder_.Finish();
    return true;
}

}  // namespace orix
