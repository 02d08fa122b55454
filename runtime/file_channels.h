#pragma once
// The eight numbered file channels 0 to 7 and their READ/WRITE commands.
// Every multi-byte value is little-endian in the file. A channel outside
// 0 to 7 is the fatal error 7; a read or write on a channel that is not open,
// or that comes short, is the fatal error 3.
#include "runtime/dgstr.h"
#include "runtime/filesystem.h"

namespace __VELTRIC__ {

extern RTFileSystem __g_Files[8];

// mode 0 creates the file anew for writing; any other mode opens it for
// reading through the data archive. 1 when open, 0 when not.
double OPENFILE(int channel, DGStr const& name, int mode);
double CLOSEFILE(int channel);
// whence 0: from the start; at least 1: from the position; negative: from
// the end. Positions are 64-bit, so files beyond 2 GiB seek whole.
double FILESEEK(int channel, double offset, int whence);
double FILEPOSITION(int channel);
double ENDOFFILE(int channel);
void __VLT_close_all_filehandles();

double WRITEBYTE(int channel, int value);
double WRITEUBYTE(int channel, int value);
double WRITEWORD(int channel, int value);
double WRITEUWORD(int channel, int value);
double WRITELONG(int channel, int value);
double WRITEULONG(int channel, int value);
double WRITEIEEE(int channel, double value);
double WRITESHORTIEEE(int channel, double value);
double WRITESTR(int channel, DGStr const& text);
double WRITELINE(int channel, DGStr const& text);
double WRITELINE(int channel, int const& value);
double WRITELINE(int channel, double const& value);

double READBYTE(int channel, int& value);
double READUBYTE(int channel, int& value);
double READWORD(int channel, int& value);
double READUWORD(int channel, int& value);
double READLONG(int channel, int& value);
double READULONG(int channel, int& value);
double READIEEE(int channel, double& value);
double READSHORTIEEE(int channel, double& value);
// count bytes; the text ends at the first NUL among them. Its length.
double READSTR(int channel, DGStr& text, int count);
double READLINE(int channel, DGStr& text);
double READLINE(int channel, int& value);
double READLINE(int channel, double& value);

} // namespace __VELTRIC__
