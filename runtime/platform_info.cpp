// PLATFORMINFO$: answers about the platform. The disk identity and battery
// files are read with bounded reads; their paths can be changed for tests.
#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>

#include <SDL.h>

#include "runtime/system_cmds.h"

namespace __VELTRIC__ {

namespace {

const char* const kDefaultDisk = "/dev/hda";
const char* const kDefaultBattery = "/proc/apm";
std::string g_diskPath = kDefaultDisk;
std::string g_batteryPath = kDefaultBattery;

#ifndef __APPLE__
// The old drive identity request of the Linux disk driver; it fills a
// 512-byte identity record.
constexpr unsigned long kGetIdentity = 0x0307;
constexpr std::size_t kIdentitySize = 512;
constexpr std::size_t kIdentityTextAt = 40;
#endif

std::string Upper(const char* s)
{
    std::string r = s;
    for (char& c : r) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return r;
}

DGStr GlExtension(const std::string& entry)
{
    // Without a video subsystem there is no GL to ask (and SDL 1.2 would
    // dereference its missing video device).
    bool found = SDL_WasInit(SDL_INIT_VIDEO) != 0 && SDL_GL_GetProcAddress(entry.c_str()) != nullptr;
    char line[128];
    std::snprintf(line, sizeof line, "ext: %-35s   [%4s]", entry.c_str(), found ? "OK" : "FAIL");
    std::puts(line);
    return DGStr(found ? "1" : "0");
}

DGStr LocalTime()
{
    std::time_t now = std::time(nullptr);
    std::tm t{};
    localtime_r(&now, &t);
    char text[64];
    std::snprintf(text, sizeof text, "%d-%02d-%02d %02d:%02d:%02d", t.tm_year + 1900, t.tm_mon + 1,
                  t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec);
    return DGStr(text);
}

#ifndef __APPLE__
DGStr DiskId()
{
    int fd = open(g_diskPath.c_str(), O_RDONLY | O_NONBLOCK);
    if (fd < 0) return DGStr("FA17ED");
    unsigned char record[kIdentitySize] = {};
    int rc = ioctl(fd, kGetIdentity, record);
    close(fd);
    if (rc != 0) return DGStr("FA17ED");
    // The text need not be terminated inside the record: stop at its end.
    const char* text = reinterpret_cast<const char*>(record + kIdentityTextAt);
    std::string id(text, strnlen(text, kIdentitySize - kIdentityTextAt));
    return DGStr(id.c_str());
}

DGStr Battery()
{
    std::FILE* f = std::fopen(g_batteryPath.c_str(), "r");
    if (!f) return DGStr("100");
    char line[512];
    bool got = std::fgets(line, sizeof line, f) != nullptr;
    std::fclose(f);
    if (!got) return DGStr("100");
    char s1[64], s2[64], s3[64], s5[64], s8[64], s9[64];
    unsigned int x4 = 0, x6 = 0;
    int percent = 0;
    int n = std::sscanf(line, "%63s %63s %63s %x %63s %x %d%% %63s %63s", s1, s2, s3, &x4, s5, &x6,
                        &percent, s8, s9);
    if (n < 7) return DGStr("100");
    return DGStr(percent);
}
#endif

} // namespace

void SetPlatformInfoPathsForTesting(const char* disk, const char* battery)
{
    g_diskPath = disk ? disk : kDefaultDisk;
    g_batteryPath = battery ? battery : kDefaultBattery;
}

DGStr PLATFORMINFO_Str(DGStr key)
{
    std::string k = Upper(key.c_str());
#ifdef __APPLE__
    if (k.empty()) return DGStr("MACOSX");
    // The bytes of 0x00FA17ED in memory order, lowest first, as hex digits.
    if (k == "ID") return DGStr("ED17FA00");
    if (k == "BATTERY") return DGStr("NO_DATA");
#else
    if (k.empty()) return DGStr("LINUX");
    if (k == "ID") return DiskId();
    if (k == "BATTERY") return Battery();
#endif
    if (k.compare(0, 6, "GLEXT:") == 0) return GlExtension(k.substr(6));
    if (k == "DEVICE") return DGStr("DESKTOP");
    if (k == "TIME") return LocalTime();
    return DGStr("NO_DATA");
}

} // namespace __VELTRIC__
