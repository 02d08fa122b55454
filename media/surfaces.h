#pragma once
// Surfaces (grids of texture tiles holding a screen-sized picture: 0 the
// background pasted every frame, 1 and 2 for BLENDSCREEN, 3 for INPUT) and the
// 32 render-to-texture screens. The renderer members live in
// media/opengl_dedudeve.h; FBUFFER is declared in media/surface_record.h.
#include <GL/gl.h>
#include <GL/glext.h>

#include "media/surface_record.h"
#include "runtime/dgstr.h"

namespace __VELTRIC__ {

// The EXT framebuffer object entry points; all null when the GL does not
// report "GL_EXT_framebuffer_object".
namespace FRAMEBUFFER {
extern PFNGLBINDRENDERBUFFEREXTPROC glBindRenderbufferExt;
extern PFNGLDELETERENDERBUFFERSEXTPROC glDeleteRenderbuffersExt;
extern PFNGLGENRENDERBUFFERSEXTPROC glGenRenderbuffersExt;
extern PFNGLRENDERBUFFERSTORAGEEXTPROC glRenderbufferStorageExt;
extern PFNGLBINDFRAMEBUFFEREXTPROC glBindFramebufferExt;
extern PFNGLDELETEFRAMEBUFFERSEXTPROC glDeleteFramebuffersExt;
extern PFNGLGENFRAMEBUFFERSEXTPROC glGenFramebuffersExt;
extern PFNGLCHECKFRAMEBUFFERSTATUSEXTPROC glCheckFramebufferStatusExt;
extern PFNGLFRAMEBUFFERTEXTURE2DEXTPROC glFramebufferTexture2DExt;
extern PFNGLFRAMEBUFFERRENDERBUFFEREXTPROC glFramebufferRenderbufferExt;
} // namespace FRAMEBUFFER

// Fills the ten pointers for the given extension list (what
// FBUFFER::InitFrameBufferObject does with the GL's own list), printing one
// "ext: ..." line per name; 1 when frame buffer objects are offered.
int LoadFramebufferEntryPoints(const char* extensions);

constexpr int kSurfaceCount = 8;
constexpr int kScreenCount = 32;

// ---- commands ------------------------------------------------------------
// Makes sprite `sprite` a w x h render target for screen 0..31.
double CREATESCREEN(int screen, int sprite, int w, int h);
// 0..31: drawing goes into that screen's sprite; negative: back to the window.
double USESCREEN(int screen);
// The screen as it is becomes the background.
double USEASBMP();
// Loads a picture as the background; a missing file leaves a black screen.
double LOADBMP(const DGStr& file);
// Cross-fades from the current screen to the picture (1.5 s), which then
// becomes the background. A file that is not found changes nothing.
double BLENDSCREEN(const DGStr& file);

} // namespace __VELTRIC__
