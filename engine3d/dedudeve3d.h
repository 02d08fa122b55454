#pragma once
// Dedudeve3D: the 3D renderer, built over the 2D renderer and sharing its GL
// context. Start-up creates the one instance; the frame step asks it to end
// an open shadow pass and to return to the fixed pipeline. It lives until
// the process ends.

namespace __VELTRIC__ {

class OpenGLDedudeve;

class Dedudeve3D {
public:
    explicit Dedudeve3D(OpenGLDedudeve* renderer2d);
    virtual ~Dedudeve3D();
    Dedudeve3D(const Dedudeve3D&) = delete;
    Dedudeve3D& operator=(const Dedudeve3D&) = delete;

    // start false ends a stencil shadow pass left open (nothing when none is
    // open); no pass is ever opened until the shadow renderer exists.
    void DoShadows(bool start);
    // Selects shader slot n; -1 selects the fixed pipeline.
    void SetShader(int n);

    OpenGLDedudeve* Renderer2D() const { return m_2d; }

private:
    OpenGLDedudeve* m_2d;
    int m_shader = -1;
};

extern Dedudeve3D* __g_pRbow3D;

} // namespace __VELTRIC__
