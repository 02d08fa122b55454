#pragma once
// Mapping points between world and window coordinates with the matrices and
// viewport GL holds at the moment of the call.

namespace __VELTRIC__ {

// World to window; the window y counts down from the top of the window (not
// of the viewport), so a point lands where it is drawn whatever viewport the
// 3D view uses. 1 with the three outputs written, 0 (outputs untouched) when
// the point lies on the camera's plane.
int RTglu_Project(float x, float y, float z, float* winX, float* winY, float* winZ);
// Window to world; winY is GL's window y, counted from the bottom, and winZ
// the depth from 0 (near plane) to 1 (far plane). 1 with the outputs
// written, 0 (outputs untouched) when the point is at infinity. A singular
// projection x modelview is replaced by the identity.
int RTglu_UnProject(float winX, float winY, float winZ, float* x, float* y, float* z);

// The same with the matrices, GL's viewport (x, y from the window's bottom,
// width, height) and the height of the window given.
int ProjectPoint(const float modelview[16], const float projection[16], const int viewport[4],
                 int windowHeight, float x, float y, float z, float* winX, float* winY,
                 float* winZ);
int UnProjectPoint(const float modelview[16], const float projection[16], const int viewport[4],
                   float winX, float winY, float winZ, float* x, float* y, float* z);

} // namespace __VELTRIC__
