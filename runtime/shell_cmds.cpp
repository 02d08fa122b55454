// SHELLCMD runs a shell command; SHELLEND replaces the program by another.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "media/opengl_dedudeve.h"
#include "runtime/core.h"
#include "runtime/ini.h"
#include "runtime/line_files.h"
#include "runtime/system_cmds.h"

namespace __VELTRIC__ {

double SHELLCMD(DGStr command, double wait, double, double& result)
{
    OpenGLDedudeve* r = __g_pRbow;
    const bool wasFullscreen = r && r->m_fullscreen;
    if (r) r->DoWindowed();
    std::string line = command.c_str();
    if (wait == 0.0) line += " &";
    result = static_cast<double>(std::system(line.c_str()));
    if (r && wasFullscreen) r->DoFullscreen();
    return 1.0;
}

// The process image is replaced without running exit handlers or static
// destructors, so everything they would write back is written here first.
static void WriteBackBeforeExec()
{
    __g_Ini.Write();
    __g_FastFile.WriteBack();
    std::fflush(nullptr);
}

void SHELLEND(DGStr command)
{
    __ShutDownVeltric();
    WriteBackBeforeExec();
    std::printf("end with: %s\n", command.c_str());
    std::fflush(stdout);
    execl(command.c_str(), command.c_str(), static_cast<char*>(nullptr));
    std::printf("failed to call: %s\n", command.c_str());
    std::fflush(stdout);
    std::exit(0);
}

} // namespace __VELTRIC__
