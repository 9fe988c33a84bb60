#include "scenes/camera.h"

FlyCamera::FlyCamera(IDirect3DDevice9* device)
    : position(-50.2f, 50.0f, 100.0f), viewMatrix(), cameraMatrix(), device(device),
      velocity(-6.1f, 5.8f, 11.7f), yaw(2.16f), yawRate(0.0f), pitch(0.49f), pitchRate(0.0f),
      roll(0.0f), rollRate(0.0f) {
    D3DXMatrixIdentity(&cameraMatrix);
    D3DXMatrixIdentity(&viewMatrix);
}

void FlyCamera::Update(float e) {
    const float s = e * 2.5f;
    // Damped once per call, whatever the time step.
    velocity.x *= 0.95f;
    velocity.y *= 0.95f;
    velocity.z *= 0.95f;
    yawRate *= 0.6f;
    pitchRate *= 0.95f;
    rollRate *= 0.25f;

    D3DXVECTOR3 step(s * velocity.x, s * velocity.y, s * velocity.z);
    D3DXVec3TransformNormal(&step, &step, &cameraMatrix);
    position.x += step.x;
    position.y += step.y;
    position.z += step.z;

    yaw += e * yawRate;
    pitch += e * pitchRate;
    roll += e * rollRate;
    const float halfPi = 1.57079637f;
    if (pitch < -halfPi) pitch = -halfPi;
    if (pitch > halfPi) pitch = halfPi;

    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    device->SetTransform(D3DTS_WORLD, &identity);

    D3DXQUATERNION orientation;
    D3DXQuaternionRotationYawPitchRoll(&orientation, yaw, pitch, roll);
    D3DXMatrixAffineTransformation(&cameraMatrix, 1.25f, nullptr, &orientation, &position);
    D3DXMatrixInverse(&viewMatrix, nullptr, &cameraMatrix);
    device->SetTransform(D3DTS_VIEW, &viewMatrix);

    D3DXMATRIX projection;
    D3DXMatrixPerspectiveFovLH(&projection, 0.785398185f, 1.0f, 1.0f, 700.0f);
    device->SetTransform(D3DTS_PROJECTION, &projection);
}
