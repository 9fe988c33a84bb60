// The matrix helpers: row vectors, translation in the fourth row.
#include "d3dx9.h"

#include <cmath>

D3DXMATRIX D3DXMATRIX::operator*(const D3DXMATRIX& other) const {
    D3DXMATRIX out;
    D3DXMatrixMultiply(&out, this, &other);
    return out;
}

D3DXMATRIX* WINAPI D3DXMatrixIdentity(D3DXMATRIX* out) {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            out->m[r][c] = r == c ? 1.0f : 0.0f;
    return out;
}

D3DXMATRIX* WINAPI D3DXMatrixMultiply(D3DXMATRIX* out, const D3DXMATRIX* a, const D3DXMATRIX* b) {
    D3DXMATRIX t;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            t.m[r][c] = a->m[r][0] * b->m[0][c] + a->m[r][1] * b->m[1][c] +
                        a->m[r][2] * b->m[2][c] + a->m[r][3] * b->m[3][c];
    *out = t;
    return out;
}

D3DXVECTOR3* WINAPI D3DXVec3TransformNormal(D3DXVECTOR3* out, const D3DXVECTOR3* v,
                                            const D3DXMATRIX* m) {
    const D3DXVECTOR3 in = *v;
    out->x = in.x * m->_11 + in.y * m->_21 + in.z * m->_31;
    out->y = in.x * m->_12 + in.y * m->_22 + in.z * m->_32;
    out->z = in.x * m->_13 + in.y * m->_23 + in.z * m->_33;
    return out;
}

D3DXQUATERNION* WINAPI D3DXQuaternionRotationYawPitchRoll(D3DXQUATERNION* out, float yaw,
                                                          float pitch, float roll) {
    const float sa = std::sin(yaw / 2), ca = std::cos(yaw / 2);
    const float sb = std::sin(pitch / 2), cb = std::cos(pitch / 2);
    const float sc = std::sin(roll / 2), cc = std::cos(roll / 2);
    out->x = ca * sb * cc + sa * cb * sc;
    out->y = sa * cb * cc - ca * sb * sc;
    out->z = ca * cb * sc - sa * sb * cc;
    out->w = ca * cb * cc + sa * sb * sc;
    return out;
}

D3DXMATRIX* WINAPI D3DXMatrixRotationQuaternion(D3DXMATRIX* out, const D3DXQUATERNION* q) {
    const float x = q->x, y = q->y, z = q->z, w = q->w;
    D3DXMatrixIdentity(out);
    out->_11 = 1 - 2 * (y * y + z * z);
    out->_12 = 2 * (x * y + z * w);
    out->_13 = 2 * (x * z - y * w);
    out->_21 = 2 * (x * y - z * w);
    out->_22 = 1 - 2 * (x * x + z * z);
    out->_23 = 2 * (y * z + x * w);
    out->_31 = 2 * (x * z + y * w);
    out->_32 = 2 * (y * z - x * w);
    out->_33 = 1 - 2 * (x * x + y * y);
    return out;
}

D3DXMATRIX* WINAPI D3DXMatrixAffineTransformation(D3DXMATRIX* out, float scaling,
                                                  const D3DXVECTOR3* center,
                                                  const D3DXQUATERNION* rotation,
                                                  const D3DXVECTOR3* translation) {
    // Scaling, then the rotation about the centre, then the translation.
    D3DXMATRIX m;
    D3DXMatrixIdentity(&m);
    m._11 = m._22 = m._33 = scaling;
    if (rotation) {
        D3DXMATRIX r;
        D3DXMatrixRotationQuaternion(&r, rotation);
        if (center) {
            D3DXMATRIX to, back;
            D3DXMatrixIdentity(&to);
            D3DXMatrixIdentity(&back);
            to._41 = -center->x, to._42 = -center->y, to._43 = -center->z;
            back._41 = center->x, back._42 = center->y, back._43 = center->z;
            m = m * to * r * back;
        } else {
            m = m * r;
        }
    }
    if (translation) {
        m._41 += translation->x;
        m._42 += translation->y;
        m._43 += translation->z;
    }
    *out = m;
    return out;
}

D3DXMATRIX* WINAPI D3DXMatrixInverse(D3DXMATRIX* out, float* determinant, const D3DXMATRIX* in) {
    // Cofactors in double precision, then the adjugate over the determinant.
    double a[16], inv[16];
    for (int i = 0; i < 16; ++i)
        a[i] = in->m[i / 4][i % 4];
    inv[0] = a[5] * a[10] * a[15] - a[5] * a[11] * a[14] - a[9] * a[6] * a[15] +
             a[9] * a[7] * a[14] + a[13] * a[6] * a[11] - a[13] * a[7] * a[10];
    inv[4] = -a[4] * a[10] * a[15] + a[4] * a[11] * a[14] + a[8] * a[6] * a[15] -
             a[8] * a[7] * a[14] - a[12] * a[6] * a[11] + a[12] * a[7] * a[10];
    inv[8] = a[4] * a[9] * a[15] - a[4] * a[11] * a[13] - a[8] * a[5] * a[15] +
             a[8] * a[7] * a[13] + a[12] * a[5] * a[11] - a[12] * a[7] * a[9];
    inv[12] = -a[4] * a[9] * a[14] + a[4] * a[10] * a[13] + a[8] * a[5] * a[14] -
              a[8] * a[6] * a[13] - a[12] * a[5] * a[10] + a[12] * a[6] * a[9];
    inv[1] = -a[1] * a[10] * a[15] + a[1] * a[11] * a[14] + a[9] * a[2] * a[15] -
             a[9] * a[3] * a[14] - a[13] * a[2] * a[11] + a[13] * a[3] * a[10];
    inv[5] = a[0] * a[10] * a[15] - a[0] * a[11] * a[14] - a[8] * a[2] * a[15] +
             a[8] * a[3] * a[14] + a[12] * a[2] * a[11] - a[12] * a[3] * a[10];
    inv[9] = -a[0] * a[9] * a[15] + a[0] * a[11] * a[13] + a[8] * a[1] * a[15] -
             a[8] * a[3] * a[13] - a[12] * a[1] * a[11] + a[12] * a[3] * a[9];
    inv[13] = a[0] * a[9] * a[14] - a[0] * a[10] * a[13] - a[8] * a[1] * a[14] +
              a[8] * a[2] * a[13] + a[12] * a[1] * a[10] - a[12] * a[2] * a[9];
    inv[2] = a[1] * a[6] * a[15] - a[1] * a[7] * a[14] - a[5] * a[2] * a[15] + a[5] * a[3] * a[14] +
             a[13] * a[2] * a[7] - a[13] * a[3] * a[6];
    inv[6] = -a[0] * a[6] * a[15] + a[0] * a[7] * a[14] + a[4] * a[2] * a[15] -
             a[4] * a[3] * a[14] - a[12] * a[2] * a[7] + a[12] * a[3] * a[6];
    inv[10] = a[0] * a[5] * a[15] - a[0] * a[7] * a[13] - a[4] * a[1] * a[15] +
              a[4] * a[3] * a[13] + a[12] * a[1] * a[7] - a[12] * a[3] * a[5];
    inv[14] = -a[0] * a[5] * a[14] + a[0] * a[6] * a[13] + a[4] * a[1] * a[14] -
              a[4] * a[2] * a[13] - a[12] * a[1] * a[6] + a[12] * a[2] * a[5];
    inv[3] = -a[1] * a[6] * a[11] + a[1] * a[7] * a[10] + a[5] * a[2] * a[11] -
             a[5] * a[3] * a[10] - a[9] * a[2] * a[7] + a[9] * a[3] * a[6];
    inv[7] = a[0] * a[6] * a[11] - a[0] * a[7] * a[10] - a[4] * a[2] * a[11] + a[4] * a[3] * a[10] +
             a[8] * a[2] * a[7] - a[8] * a[3] * a[6];
    inv[11] = -a[0] * a[5] * a[11] + a[0] * a[7] * a[9] + a[4] * a[1] * a[11] - a[4] * a[3] * a[9] -
              a[8] * a[1] * a[7] + a[8] * a[3] * a[5];
    inv[15] = a[0] * a[5] * a[10] - a[0] * a[6] * a[9] - a[4] * a[1] * a[10] + a[4] * a[2] * a[9] +
              a[8] * a[1] * a[6] - a[8] * a[2] * a[5];
    const double det = a[0] * inv[0] + a[1] * inv[4] + a[2] * inv[8] + a[3] * inv[12];
    if (determinant) *determinant = static_cast<float>(det);
    if (det == 0.0) return nullptr;
    for (int i = 0; i < 16; ++i)
        out->m[i / 4][i % 4] = static_cast<float>(inv[i] / det);
    return out;
}

D3DXMATRIX* WINAPI D3DXMatrixPerspectiveFovLH(D3DXMATRIX* out, float fovy, float aspect, float zn,
                                              float zf) {
    const float yScale = 1.0f / std::tan(fovy / 2);
    D3DXMATRIX m{};
    for (auto& row : m.m)
        for (float& v : row)
            v = 0.0f;
    m._11 = yScale / aspect;
    m._22 = yScale;
    m._33 = zf / (zf - zn);
    m._34 = 1.0f;
    m._43 = -zn * zf / (zf - zn);
    *out = m;
    return out;
}
