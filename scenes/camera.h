// The camera: an abstract base and the one drifting camera of the demo.
#pragma once
#include <d3d9.h>
#include <d3dx9.h>

class Camera {
  public:
    virtual ~Camera() = default;
    virtual void Update(float elapsedSeconds) = 0;
};

class FlyCamera : public Camera {
  public:
    explicit FlyCamera(IDirect3DDevice9* device);
    void Update(float elapsedSeconds) override;

    D3DXVECTOR3 position;
    D3DXMATRIX viewMatrix;
    D3DXMATRIX cameraMatrix;
    IDirect3DDevice9* device;
    D3DXVECTOR3 velocity;
    float yaw;
    float yawRate;
    float pitch;
    float pitchRate;
    float roll;
    float rollRate;
};
