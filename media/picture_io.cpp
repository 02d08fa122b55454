// File access of the picture readers and writers.
#include "media/picture_io.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <utility>

#include "runtime/filesystem.h"

namespace __VELTRIC__ {

namespace {

// The replacements under way, by their stream. Pictures are written on the
// main thread one at a time; the list holds one entry while a write lasts.
std::vector<std::pair<std::FILE*, std::unique_ptr<FileReplacement>>>& Pending()
{
    static std::vector<std::pair<std::FILE*, std::unique_ptr<FileReplacement>>> pending;
    return pending;
}

} // namespace

std::FILE* CreatePictureFile(const char* file)
{
    auto r = std::make_unique<FileReplacement>();
    if (!r->Begin(file)) return nullptr;
    std::FILE* f = r->File();
    Pending().emplace_back(f, std::move(r));
    return f;
}

bool FinishPictureFile(std::FILE* f, bool ok)
{
    if (!f) return false;
    auto& pending = Pending();
    auto it = std::find_if(pending.begin(), pending.end(), [f](auto const& p) { return p.first == f; });
    if (it == pending.end()) return false;
    std::unique_ptr<FileReplacement> r = std::move(it->second);
    pending.erase(it);
    return r->Commit(ok);
}

} // namespace __VELTRIC__
