// DLLCALL: binds a function of a shared library by name. Each library is
// opened once; the cache is keyed by the lower-case name so that names that
// differ only in letter case share one handle, while the library itself is
// opened by the name as given (file names are case-sensitive here).
#include <dlfcn.h>

#include <cstdio>
#include <string>
#include <vector>

#include "runtime/system_cmds.h"

namespace __VELTRIC__ {

namespace {

class DllCache {
public:
    ~DllCache()
    {
        for (void* h : m_handles) dlclose(h);
    }
    void* Find(const std::string& key) const
    {
        for (std::size_t i = 0; i < m_names.size(); ++i) {
            if (m_names[i].size() == key.size() && m_names[i] == key) return m_handles[i];
        }
        return nullptr;
    }
    void Add(void* handle, const std::string& key)
    {
        m_handles.push_back(handle);
        m_names.push_back(key);
    }

private:
    std::vector<void*> m_handles;
    std::vector<std::string> m_names;
};

DllCache& Cache()
{
    static DllCache cache;
    return cache;
}

} // namespace

void DLLCALL(DGStr module, DGStr function, void** out)
{
    if (!out) return;
    *out = nullptr;
    std::string key = module.c_str();
    for (char& c : key) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    void* handle = Cache().Find(key);
    if (!handle) {
        handle = dlopen(module.c_str(), RTLD_LAZY);
        if (!handle) {
            std::string line = "DECLARE module not found: ";
            line += module.c_str();
            line += "\n";
            std::puts(line.c_str());
            return;
        }
        Cache().Add(handle, key);
    }
    *out = dlsym(handle, function.c_str());
}

} // namespace __VELTRIC__
