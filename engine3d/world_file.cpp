// The world file: an INI file naming the textures and objects of one object
// slot. The description is read first (world plan), then the pictures become
// GL textures and the object files are loaded into the slot's objects.
#include "engine3d/world_file.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <unordered_map>

#include "engine3d/dedudeve3d.h"
#include "media/image.h"
#include "media/opengl_dedudeve.h"
#include "runtime/shoebox.h"

namespace __VELTRIC__ {

namespace {

char const kNoData[] = "NO_DATA";

double NumberOf(const RTini& ini, char const* section, char const* key)
{
    DGStr const* v = ini.Get(section, key);
    return v ? v->Number() : 0.0;
}

// The keys of the first section of one name, looked up without regard to
// case; the first key of a name wins, as with RTini::Get. A world names up
// to three keys for each of its entries: looked up one by one in the
// section, a world of many entries took minutes before any file was read.
class SectionKeys {
public:
    SectionKeys(const RTini& ini, char const* section)
    {
        const RTini::Section* s = ini.FindSection(section);
        if (!s) return;
        m_values.reserve(static_cast<std::size_t>(s->keys.Count()));
        for (int k = 0; k < s->keys.Count(); ++k)
            m_values.emplace(Lower(s->keys[k]->key.c_str()), &s->keys[k]->value);
    }
    DGStr const* Get(char const* key) const
    {
        auto it = m_values.find(Lower(key));
        return it == m_values.end() ? nullptr : it->second;
    }
    char const* ValueOf(char const* key) const
    {
        DGStr const* v = Get(key);
        return v ? v->c_str() : kNoData;
    }
    double NumberOf(char const* key) const
    {
        DGStr const* v = Get(key);
        return v ? v->Number() : 0.0;
    }

private:
    static std::string Lower(char const* text)
    {
        std::string s(text);
        for (char& c : s)
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        return s;
    }
    std::unordered_map<std::string, DGStr const*> m_values;
};

// A count from the file: fraction cut off, below 1 (or not a number) none.
// It is held to the number of keys the section holds: every entry names a
// key of its own, so a larger count can only add entries that read
// "NO_DATA", each costing a lookup and an object record.
int CountOf(const RTini& ini, char const* section)
{
    double d = NumberOf(ini, section, "count");
    if (!(d >= 1.0)) return 0;
    const RTini::Section* s = ini.FindSection(section);
    int limit = s ? s->keys.Count() : 0;
    if (limit > kMaxWorldEntries) limit = kMaxWorldEntries;
    if (d >= limit) return limit;
    return static_cast<int>(d);
}

// A texture number from the file, truncated toward zero; a value beyond the
// int range (or not a number) cannot name a texture and is kept in range.
int WholeOf(double d)
{
    if (std::isnan(d)) return 0;
    if (d >= 2147483647.0) return 2147483647;
    if (d <= -2147483647.0) return -2147483647;
    return static_cast<int>(d);
}

// The file's texture numbers count from 1; 0 and a missing key both select
// the first texture.
int TextureIndex(const SectionKeys& objects, int i, char const* suffix)
{
    char key[32];
    std::snprintf(key, sizeof key, "%d%s", i, suffix);
    int t = WholeOf(objects.NumberOf(key));
    return t > 0 ? t - 1 : t;
}

// A readable path for name: the data archive's answer, else the name itself
// so that the reader reports what it could not open.
std::string Readable(std::string const& name)
{
    char out[RTShoeBox::kPathMax];
    if (FindDataFile(name.c_str(), out, sizeof out)) return out;
    return name;
}

} // namespace

std::string WorldFolder(char const* file)
{
    if (!file) return std::string();
    std::size_t cut = 0;
    for (std::size_t i = 0; file[i]; ++i)
        if (file[i] == '/' || file[i] == '\\') cut = i + 1;
    return std::string(file, cut);
}

void ReadWorldPlan(const RTini& ini, char const* file, WorldPlan& plan)
{
    plan.folder = WorldFolder(file);
    plan.textures.clear();
    plan.objects.clear();
    char key[16];

    const int n = CountOf(ini, "textures");
    plan.textures.reserve(static_cast<std::size_t>(n));
    if (n > 0) {
        const SectionKeys textures(ini, "textures");
        for (int i = 1; i <= n; ++i) {
            std::snprintf(key, sizeof key, "%d", i);
            plan.textures.push_back(plan.folder + textures.ValueOf(key));
        }
    }

    const int m = CountOf(ini, "objects");
    plan.objects.resize(static_cast<std::size_t>(m));
    if (m > 0) {
        const SectionKeys objects(ini, "objects");
        for (int i = 1; i <= m; ++i) {
            WorldPlan::Object& o = plan.objects[static_cast<std::size_t>(i - 1)];
            std::snprintf(key, sizeof key, "%d", i);
            o.path = plan.folder + objects.ValueOf(key);
            o.ta = TextureIndex(objects, i, "ta");
            o.tb = TextureIndex(objects, i, "tb");
        }
    }
}

bool Dedudeve3D::Load_DDW(char const* file, X_WORLD& slot, unsigned long colourKey)
{
    slot.loaded = 1;
    slot.isWorld = 1;

    WorldPlan plan;
    {
        // Only read, never changed: nothing is written back when it goes.
        RTini ini;
        ini.Read(DGStr(file ? file : ""));
        ReadWorldPlan(ini, file, plan);
    }

    // Room for every texture id; without memory for them the world has none.
    int n = static_cast<int>(plan.textures.size());
    if (!slot.textures.AllocAtLeast(n)) n = 0;
    slot.textures.SetCount(n);
    for (int i = 0; i < n; ++i) slot.textures[i] = 0;
    for (int i = 0; i < n; ++i) {
        std::string path = Readable(plan.textures[static_cast<std::size_t>(i)]);
        OPENGL_IMAGE img;
        if (!img.LoadImageBMP(path.c_str(), colourKey) && !img.LoadImagePNG(path.c_str(), colourKey))
            continue;
        unsigned int tex = 0;
        if (renderer2D) renderer2D->MakeTexture(img, 0, 0, 0, 0, &tex, nullptr, false, false);
        slot.textures[i] = tex;
        img.Empty();
    }

    int m = static_cast<int>(plan.objects.size());
    if (!slot.objects.AllocAtLeast(m)) m = 0;
    slot.objects.SetCount(m);
    for (int i = 0; i < m; ++i) {
        const WorldPlan::Object& o = plan.objects[static_cast<std::size_t>(i)];
        X_WORLD::DATA& d = slot.objects[i];
        d.object.Load(Readable(o.path).c_str(), false); // a failed load leaves it empty
        d.ta = o.ta;
        d.tb = o.tb;
        d.object.PrepareTriangles();
        d.object.CalcMaxRadius();
    }
    return true;
}

} // namespace __VELTRIC__
