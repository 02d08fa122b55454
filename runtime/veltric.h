#pragma once
// The command set of the dialect, namespace __VELTRIC__, with its value
// types. A translated program includes this one header. Each group below is
// one module; the bodies live in the module folders.

// ---- values: strings, arrays, math ---------------------------------------
#include "runtime/dgstr.h"
#include "runtime/number_text.h"
#include "runtime/arrays.h"
#include "runtime/string_cmds.h"
#include "runtime/math_cmds.h"
#include "runtime/data_read.h"

// ---- program entry, start-up, shut-down, error record --------------------
#include "runtime/core.h"

// ---- system commands: subs by name, libraries, platform, shell -----------
#include "runtime/system_cmds.h"

// ---- files: names, archive, channels, INI and line files, directories -----
#include "runtime/filesystem.h"
#include "runtime/compression.h"
#include "runtime/shoebox.h"
#include "runtime/file_channels.h"
#include "runtime/ini.h"
#include "runtime/line_files.h"
#include "runtime/file_cmds.h"

// ---- frame step, timers, waiting -------------------------------------------
#include "runtime/frame.h"

// ---- input: keyboard, mouse, joysticks -------------------------------------
#include "media/dxinput.h"
#include "media/input_cmds.h"

// ---- window, GL context, frame pacing, GL extensions ------------------------
#include "media/opengl_dedudeve.h"
#include "media/gl_extensions.h"

// ---- sprites, pictures, fonts, 2D drawing and collision --------------------
#include "media/image.h"
#include "media/fonts.h"
#include "media/drawing.h"

// ---- 2D commands, surfaces and render-to-texture screens -------------------
#include "media/commands2d.h"
#include "media/surfaces.h"

// ---- sound effects and music ------------------------------------------------
#include "media/sound.h"

// ---- 3D engine ---------------------------------------------------------------
#include "engine3d/dedudeve3d.h"
#include "engine3d/mesh_object.h"
#include "engine3d/mesh_text.h"
#include "engine3d/projection.h"
#include "engine3d/collision_geometry.h"
#include "engine3d/x_commands.h"

// ---- network games, HTTP download --------------------------------------------
#include "net/hawknl.h"
#include "net/rthawknetwork.h"
#include "net/net_cmds.h"
#include "net/webget.h"

// ---- grid path finding -------------------------------------------------------
#include "pathfind/planner.h"
#include "pathfind/astar.h"
#include "pathfind/findpath.h"
