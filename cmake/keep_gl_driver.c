/* Linked into every program and test of the sanitizer build only.
 *
 * The GL library loads its driver when a window opens and unloads it when
 * the display closes (SDL_Quit). The driver's own blocks, held by its
 * globals, then look leaked to the leak check at exit, with allocation
 * frames in an unloaded, "unknown" module that no suppression can name.
 * Opened here once more and never closed, the driver stays loaded: its
 * globals stay roots of the leak check and its frames keep their name. */
#include <dlfcn.h>

__attribute__((constructor)) static void KeepGlDriverLoaded(void)
{
    (void)dlopen(VELTRIC_GL_DRIVER, RTLD_NOW | RTLD_GLOBAL | RTLD_NODELETE);
}
