#include "program.h"

#include <d3d9.h>

namespace d3d9gl {

namespace {

// The argument codes kept in a key: select (3 bits), complement, alpha replicate.
uint8_t ArgBits(uint8_t arg) {
    return static_cast<uint8_t>((arg & 7) | ((arg & D3DTA_COMPLEMENT) ? 8 : 0) |
                                ((arg & D3DTA_ALPHAREPLICATE) ? 16 : 0));
}

bool StageActive(const ProgramKey& k, int s) {
    for (int i = 0; i <= s; ++i)
        if (k.stage[i].colorOp == D3DTOP_DISABLE) return false;
    return true;
}

bool ArgIsTexture(uint8_t arg) {
    return (arg & 7) == D3DTA_TEXTURE;
}

bool OpUsesArg1(uint8_t op) {
    return op != D3DTOP_DISABLE && op != D3DTOP_SELECTARG2;
}
bool OpUsesArg2(uint8_t op) {
    return op != D3DTOP_DISABLE && op != D3DTOP_SELECTARG1;
}

std::string Arg(uint8_t arg, int stage, bool alpha) {
    std::string v;
    switch (arg & 7) {
    case D3DTA_DIFFUSE:
        v = "diffuse";
        break;
    case D3DTA_CURRENT:
        v = stage == 0 ? "diffuse" : "current";
        break;
    case D3DTA_TEXTURE:
        v = "tex" + std::to_string(stage);
        break;
    case D3DTA_TFACTOR:
        v = "u_tfactor";
        break;
    default:
        v = "vec4(0.0)";
        break; // specular, temp and constant are not kept
    }
    if (arg & D3DTA_ALPHAREPLICATE) v = "vec4(" + v + ".a)";
    if (arg & D3DTA_COMPLEMENT) v = "(vec4(1.0) - " + v + ")";
    return v + (alpha ? ".a" : ".rgb");
}

std::string Op(uint8_t op, const std::string& a, const std::string& b, const std::string& keep) {
    switch (op) {
    case D3DTOP_SELECTARG1:
        return a;
    case D3DTOP_SELECTARG2:
        return b;
    case D3DTOP_MODULATE:
        return a + " * " + b;
    case D3DTOP_MODULATE2X:
        return "clamp(" + a + " * " + b + " * 2.0, 0.0, 1.0)";
    case D3DTOP_MODULATE4X:
        return "clamp(" + a + " * " + b + " * 4.0, 0.0, 1.0)";
    case D3DTOP_ADD:
        return "clamp(" + a + " + " + b + ", 0.0, 1.0)";
    case D3DTOP_ADDSIGNED:
        return "clamp(" + a + " + " + b + " - 0.5, 0.0, 1.0)";
    case D3DTOP_SUBTRACT:
        return "clamp(" + a + " - " + b + ", 0.0, 1.0)";
    default:
        return keep;
    }
}

const char* Compare(uint8_t func) {
    switch (func) {
    case D3DCMP_NEVER:
        return "false";
    case D3DCMP_LESS:
        return "a8 < u_alphaRef";
    case D3DCMP_EQUAL:
        return "a8 == u_alphaRef";
    case D3DCMP_LESSEQUAL:
        return "a8 <= u_alphaRef";
    case D3DCMP_GREATER:
        return "a8 > u_alphaRef";
    case D3DCMP_NOTEQUAL:
        return "a8 != u_alphaRef";
    case D3DCMP_GREATEREQUAL:
        return "a8 >= u_alphaRef";
    default:
        return "true";
    }
}

} // namespace

PackedKey ProgramKey::Pack() const {
    PackedKey out;
    out.a = (pretransformed ? 1u : 0u) | (diffuse ? 2u : 0u) | (uint64_t(texCount & 3) << 2) |
            (lighting ? 16u : 0u) | (alphaFromVertex ? 32u : 0u) | (alphaTest ? 64u : 0u) |
            (uint64_t(alphaFunc & 15) << 7);
    for (int s = 0; s < 2; ++s) {
        if (!StageActive(*this, s)) break; // later stages do not matter
        const StageKey& k = stage[s];
        uint64_t bits = uint64_t(k.colorOp & 15) | (uint64_t(ArgBits(k.colorArg1)) << 4) |
                        (uint64_t(ArgBits(k.colorArg2)) << 9) | (uint64_t(k.alphaOp & 15) << 14) |
                        (uint64_t(ArgBits(k.alphaArg1)) << 18) |
                        (uint64_t(ArgBits(k.alphaArg2)) << 23) | (uint64_t(k.texCoord & 1) << 28);
        if (s == 0)
            out.a |= bits << 11;
        else
            out.b = bits;
    }
    return out;
}

bool ProgramKey::UsesTexture(int s) const {
    if (!StageActive(*this, s)) return false;
    const StageKey& k = stage[s];
    return (OpUsesArg1(k.colorOp) && ArgIsTexture(k.colorArg1)) ||
           (OpUsesArg2(k.colorOp) && ArgIsTexture(k.colorArg2)) ||
           (OpUsesArg1(k.alphaOp) && ArgIsTexture(k.alphaArg1)) ||
           (OpUsesArg2(k.alphaOp) && ArgIsTexture(k.alphaArg2));
}

std::string VertexShaderSource(const ProgramKey& k) {
    std::string s = "#version 330 core\n"
                    "layout(location = 0) in vec4 a_position;\n"
                    "layout(location = 1) in vec4 a_diffuse;\n"
                    "layout(location = 2) in vec2 a_tex0;\n"
                    "layout(location = 3) in vec2 a_tex1;\n"
                    "uniform mat4 u_wvp;\n"
                    "uniform vec4 u_viewport;\n" // x, y, width, height in pixels
                    "uniform vec4 u_lit;\n"
                    "out vec4 v_diffuse;\n"
                    "out vec2 v_tex[2];\n"
                    "void main() {\n";
    if (k.pretransformed) {
        // Screen pixels with centres on integers; z is depth; w = 1 / rhw.
        s += "  float w = 1.0 / a_position.w;\n"
             "  vec2 ndc = (a_position.xy - u_viewport.xy + 0.5) * 2.0 / u_viewport.zw - 1.0;\n"
             "  gl_Position = vec4(ndc * w, (2.0 * a_position.z - 1.0) * w, w);\n";
    } else {
        // Row vectors, clip z in [0, w], y down the screen, pixel centres on integers.
        s += "  vec4 c = u_wvp * vec4(a_position.xyz, 1.0);\n"
             "  gl_Position = vec4(c.x + c.w / u_viewport.z, -c.y + c.w / u_viewport.w,\n"
             "                     2.0 * c.z - c.w, c.w);\n";
    }
    std::string vertexColour = k.diffuse ? "a_diffuse" : "vec4(1.0)";
    if (k.lighting)
        s += "  v_diffuse = vec4(u_lit.rgb, " +
             std::string(k.alphaFromVertex ? "a_diffuse.a" : "u_lit.a") + ");\n";
    else
        s += "  v_diffuse = " + vertexColour + ";\n";
    const char* sets[2] = {k.texCount > 0 ? "a_tex0" : "vec2(0.0)",
                           k.texCount > 1 ? "a_tex1" : "vec2(0.0)"};
    for (int i = 0; i < 2; ++i)
        s += "  v_tex[" + std::to_string(i) + "] = " + sets[k.stage[i].texCoord & 1] + ";\n";
    s += "}\n";
    return s;
}

std::string FragmentShaderSource(const ProgramKey& k) {
    std::string s = "#version 330 core\n"
                    "in vec4 v_diffuse;\n"
                    "in vec2 v_tex[2];\n"
                    "uniform sampler2D u_sampler0;\n"
                    "uniform sampler2D u_sampler1;\n"
                    "uniform vec4 u_tfactor;\n"
                    "uniform int u_alphaRef;\n"
                    "out vec4 fragColor;\n"
                    "void main() {\n"
                    "  vec4 diffuse = v_diffuse;\n"
                    "  vec4 current = diffuse;\n";
    for (int i = 0; i < 2; ++i) {
        if (!StageActive(k, i)) break;
        const StageKey& st = k.stage[i];
        std::string n = std::to_string(i);
        if (k.UsesTexture(i))
            s += "  vec4 tex" + n + " = texture(u_sampler" + n + ", v_tex[" + n + "]);\n";
        std::string rgb =
            Op(st.colorOp, Arg(st.colorArg1, i, false), Arg(st.colorArg2, i, false), "current.rgb");
        std::string a =
            Op(st.alphaOp, Arg(st.alphaArg1, i, true), Arg(st.alphaArg2, i, true), "current.a");
        s += "  current = vec4(" + rgb + ", " + a + ");\n";
    }
    if (k.alphaTest)
        s += "  int a8 = int(floor(current.a * 255.0 + 0.5));\n"
             "  if (!(" +
             std::string(Compare(k.alphaFunc)) + ")) discard;\n";
    s += "  fragColor = current;\n}\n";
    return s;
}

} // namespace d3d9gl
