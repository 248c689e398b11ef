// matrix4.h - 4x4 float matrix for transforming vertices on the processor.
//
// Element (row r, column c) is m[4 * r + c] and vectors are columns (p' = M * p), so the
// translation sits at m[3], m[7], m[11]. That is the transpose of OpenGL's memory order; a
// Matrix4 is never handed to OpenGL. Rotations take degrees and are applied on the left:
// rotateX then rotateY gives Ry * Rx * M.
#pragma once

#include "math/vector3.h"

struct Matrix4 {
    float m[16];

    // Leaves the elements unset; call setIdentity or setZero.
    Matrix4() {}

    void setIdentity();
    void setZero();
    void translate(float x, float y, float z);
    void rotateX(float degrees);
    void rotateY(float degrees);
    void rotateZ(float degrees);
    // In place; no fourth component and no division.
    void transformPoint(Vector3& p) const;
};

Matrix4& add(const Matrix4& a, const Matrix4& b, Matrix4& out);
