// The eight fixed-pipeline lights, the effect light of the special render
// effects, and GL fog.
#include <SDL_opengl.h>

#include <cmath>

#include "engine3d/colour_rgb.h"
#include "engine3d/dedudeve3d.h"
#include "engine3d/matrix4.h"
#include "media/opengl_dedudeve.h"

namespace __VELTRIC__ {

void Dedudeve3D::SpotLt(int n, unsigned long colour, float x, float y, float z, float dx, float dy,
                        float dz, float cutoff, int showDebug)
{
    const ColourRgb rgb = SplitColour(colour);
    if (n < 0) {
        effectOn = std::fabs(cutoff) >= 0.00001f ? 1 : 0;
        effectLight[0] = x;
        effectLight[1] = y;
        effectLight[2] = z;
        effectColour[0] = rgb.r;
        effectColour[1] = rgb.g;
        effectColour[2] = rgb.b;
        if (n == -3) {
            effectMode = 3;
            DoShadows(effectOn != 0); // switching shadows on begins the pass at once
        } else if (n == -1) {
            effectMode = 1;
        } else {
            effectMode = 2;
        }
        return;
    }

    const int i = n % 8;
    const GLenum light = GL_LIGHT0 + i;
    if (cutoff == 0.0f) {
        glDisable(light);
        lightMask = static_cast<std::uint8_t>(lightMask & ~(1u << i));
        if (lightMask == 0) glDisable(GL_LIGHTING);
        return;
    }
    glEnable(GL_LIGHTING);
    glEnable(light);
    lightMask = static_cast<std::uint8_t>(lightMask | (1u << i));
    glEnable(GL_COLOR_MATERIAL);
    glColorMaterial(GL_FRONT_AND_BACK, GL_DIFFUSE);
    // The position is taken under the current modelview matrix: lights given
    // after SetCamera are in world coordinates.
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();

    const GLfloat diffuse[4] = {rgb.r, rgb.g, rgb.b, 1.0f};
    const GLfloat noSpecular[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    const GLfloat pos[4] = {x, y, z, 1.0f};
    float dir[3] = {dx, dy, dz};
    const bool atOrigin = x == 0.0f && y == 0.0f && z == 0.0f && dx == 0.0f && dy == 0.0f &&
                          dz == 0.0f;
    if (atOrigin) {
        const GLfloat alongZ[4] = {0.0f, 0.0f, 1.0f, 0.0f};
        glLightfv(light, GL_POSITION, alongZ);
        glLightfv(light, GL_DIFFUSE, diffuse);
        glLightfv(light, GL_SPECULAR, noSpecular);
        glLightf(light, GL_SPOT_CUTOFF, 180.0f);
    } else if (cutoff == 180.0f) {
        Vec3NormaliseIfLong(dir);
        const GLfloat towards[4] = {-dir[0], -dir[1], -dir[2], 0.0f};
        glLightf(light, GL_SPOT_CUTOFF, 180.0f);
        glLightfv(light, GL_POSITION, towards);
        glLightfv(light, GL_DIFFUSE, diffuse);
        glLightfv(light, GL_SPECULAR, noSpecular);
    } else if (cutoff > 90.0f) {
        glLightf(light, GL_SPOT_CUTOFF, 180.0f);
        glLightfv(light, GL_POSITION, pos);
        glLightfv(light, GL_DIFFUSE, diffuse);
        glLightfv(light, GL_SPECULAR, diffuse);
    } else {
        Vec3NormaliseIfLong(dir);
        glLightf(light, GL_SPOT_CUTOFF, cutoff);
        glLightfv(light, GL_POSITION, pos);
        glLightfv(light, GL_SPOT_DIRECTION, dir);
        glLightfv(light, GL_DIFFUSE, diffuse);
        glLightfv(light, GL_SPECULAR, diffuse);
    }
    glPopMatrix();

    if (showDebug && !atOrigin) {
        const float p[3] = {x, y, z};
        DrawDot(p, 0x80C8FF, 40.0f);
        if (cutoff <= 90.0f) {
            const float q[3] = {x + 500.0f * dir[0], y + 500.0f * dir[1], z + 500.0f * dir[2]};
            DrawLine(p, q, 0x6CAAE1, 3.0f);
        }
    }
}

void Dedudeve3D::AmbientLt(int n, unsigned long colour)
{
    const float* e = cameraEye;
    SpotLt(n, colour, e[0], e[1], e[2], -e[0], -e[1], -e[2], 180.0f, 0);
}

void Dedudeve3D::Fog(unsigned long colour, int mode, float start, float end)
{
    if (colour == 0xFFFFFFFFul) {
        glDisable(GL_FOG);
        return;
    }
    glEnable(GL_FOG);
    if (mode != 0) {
        glFogi(GL_FOG_MODE, GL_EXP);
        glFogf(GL_FOG_DENSITY, start);
    } else {
        glFogi(GL_FOG_MODE, GL_LINEAR);
        if (start == 0.0f && end == 0.0f) {
            start = zNear;
            end = zFar;
        }
        glFogf(GL_FOG_START, start);
        glFogf(GL_FOG_END, end);
    }
    const ColourRgb rgb = SplitColour(colour);
    const GLfloat c[4] = {rgb.r, rgb.g, rgb.b, 0.0f};
    glFogfv(GL_FOG_COLOR, c);
}

} // namespace __VELTRIC__
