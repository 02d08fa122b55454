#include "engine3d/dedudeve3d.h"

namespace __VELTRIC__ {

Dedudeve3D* __g_pRbow3D = nullptr;

Dedudeve3D::Dedudeve3D(OpenGLDedudeve* renderer2d) : m_2d(renderer2d) {}

Dedudeve3D::~Dedudeve3D() = default;

void Dedudeve3D::DoShadows(bool /*start*/) {}

void Dedudeve3D::SetShader(int n) { m_shader = n < 0 ? -1 : n; }

} // namespace __VELTRIC__
