// Parsing, lookups, changes and write-back of INI files.
#include "runtime/ini.h"

#include <strings.h>

#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "runtime/filesystem.h"
#include "runtime/shoebox.h"

namespace __VELTRIC__ {

RTini __g_Ini;

namespace {

// Shortens a queue by its last element. The storage keeps every element, so
// pushing the first count - 1 back in place never reallocates.
template <class T> void DropLast(Queue<T>& q)
{
    int n = q.Count() - 1;
    q.Clear();
    for (int j = 0; j < n; ++j) q.Push(q[j]);
}

DGStr Text(char const* p, char const* end)
{
    DGStr s;
    s.Append(p, static_cast<std::uint32_t>(end - p));
    return s;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

char const* SkipBlanks(char const* p)
{
    while (*p && IsBlank(*p)) ++p;
    return p;
}

// Reading a file pushes one entry at a time: the list grows by doubling, as
// the fixed growth step would copy the whole list again every few entries
// (quadratic in the file's size).
template <class T> void PushDoubling(Queue<T>& q, const T& v)
{
    if (q.Count() + 1 >= q.Capacity() && q.Count() > 0 && q.Count() < INT_MAX / 2)
        q.AllocAtLeast(q.Count() * 2);
    q.Push(v);
}

// Keys gathered since the last header; stored as a section once it has one.
struct Gathered {
    DGStr name;
    Queue<RTini::INIKEY*> keys{128, 512};

    void Flush(Queue<RTini::Section*>& sections)
    {
        if (keys.Count() > 0) {
            RTini::Section* s = new RTini::Section;
            s->name = name;
            // Sized to the keys read: the usual minimum of 512 slots would
            // cost 4 KiB for each section of one key, hundreds of times the
            // bytes of the file. Keys added later grow it as usual.
            const int minimum = s->keys.Minimum();
            s->keys.SetGrowth(s->keys.Step(), keys.Count());
            for (int i = 0; i < keys.Count(); ++i) s->keys.Push(keys[i]);
            s->keys.SetGrowth(s->keys.Step(), minimum);
            PushDoubling(sections, s);
        }
        keys.Clear();
    }
    ~Gathered()
    {
        for (int i = 0; i < keys.Count(); ++i) delete keys[i];
    }
};

void ParseLine(char const* line, Gathered& g, Queue<RTini::Section*>& sections)
{
    char const* p = SkipBlanks(line);
    if (!*p || *p == ';') return;
    if (*p == '[') {
        g.Flush(sections);
        p = SkipBlanks(p + 1);
        char const* end = p;
        while (*end && !IsBlank(*end) && *end != '=') ++end;
        if (end > p && end[-1] == ']') --end;
        // A header with an empty name keeps the current name.
        if (end > p) g.name = Text(p, end);
        return;
    }
    char const* keyEnd = p;
    while (*keyEnd && !IsBlank(*keyEnd) && *keyEnd != '=') ++keyEnd;
    char const* q = SkipBlanks(keyEnd);
    if (*q != '=') return;
    q = SkipBlanks(q + 1);
    if (!*q) return;
    RTini::INIKEY* k = new RTini::INIKEY;
    k->key = Text(p, keyEnd);
    k->value = q;
    k->value.TrimRight();
    PushDoubling(g.keys, k);
}

bool WriteLine(std::FILE* f, DGStr const& a, char const* mid, DGStr const& b, char const* tail)
{
    return std::fputs(a.c_str(), f) >= 0 && std::fputs(mid, f) >= 0 && std::fputs(b.c_str(), f) >= 0 &&
           std::fputs(tail, f) >= 0;
}

} // namespace

RTini::~RTini()
{
    Write();
    Clear();
}

void RTini::Clear()
{
    for (int i = 0; i < sections.Count(); ++i) {
        Section* s = sections[i];
        for (int k = 0; k < s->keys.Count(); ++k) delete s->keys[k];
        delete s;
    }
    sections.Clear();
}

void RTini::Read(DGStr name)
{
    changed = 0;
    filename = "";
    Clear();

    // The file is read from where the archive finds it, but changes go to
    // the name the program gave: a packed member's temporary copy is gone
    // by the next lookup.
    std::string path;
    if (!FindDataFile(name.c_str(), path)) path = name.c_str();
    filename = name;

    RTFileSystem rec;
    if (!rec.OpenIn(path.c_str())) return;
    if (!rec.FitsAsText(path.c_str())) {
        // With no file name: writing the changes back would replace the
        // whole file by the few keys put in later.
        filename = "";
        return;
    }
    ReadFrom(rec);
    rec.Close();
}

void RTini::ReadFrom(RTFileSystem& rec)
{
    Gathered g;
    char line[1024];
    while (rec.ReadTextLine(line, sizeof line)) ParseLine(line, g, sections);
    g.Flush(sections);
}

void RTini::Write()
{
    if (!changed || filename.Len() == 0) return;
    if (ReplaceFile(filename.c_str(), [this](std::FILE* f) { return WriteTo(f); })) changed = 0;
}

bool RTini::WriteTo(std::FILE* f) const
{
    bool ok = true;
    // Keys of the section with the empty name come first and without a
    // header: that is where reading the file puts them back.
    for (int pass = 0; pass < 2; ++pass) {
        for (int i = 0; i < sections.Count(); ++i) {
            Section* s = sections[i];
            bool unnamed = s->name.Len() == 0;
            if (unnamed != (pass == 0)) continue;
            if (!unnamed) ok = ok && WriteLine(f, DGStr("["), "", s->name, "]\r\n");
            for (int k = 0; k < s->keys.Count(); ++k)
                ok = ok && WriteLine(f, s->keys[k]->key, "=", s->keys[k]->value, "\r\n");
        }
    }
    return ok;
}

RTini::Section* RTini::FindSection(char const* name) const
{
    for (int i = 0; i < sections.Count(); ++i)
        if (strcasecmp(sections[i]->name.c_str(), name) == 0) return sections[i];
    return nullptr;
}

DGStr const* RTini::Get(char const* section, char const* key) const
{
    Section* s = FindSection(section);
    if (!s) return nullptr;
    for (int k = 0; k < s->keys.Count(); ++k)
        if (strcasecmp(s->keys[k]->key.c_str(), key) == 0) return &s->keys[k]->value;
    return nullptr;
}

void RTini::Put(char const* section, char const* key, char const* value)
{
    if (!key[0]) {
        // Removing a section moves the last one into its place.
        for (int i = 0; i < sections.Count(); ++i) {
            Section* s = sections[i];
            if (strcasecmp(s->name.c_str(), section) != 0) continue;
            for (int k = 0; k < s->keys.Count(); ++k) delete s->keys[k];
            delete s;
            sections[i] = sections[sections.Count() - 1];
            DropLast(sections);
            // The removal is a change: without it the file would keep the section.
            changed = 1;
            return;
        }
        return;
    }
    Section* s = FindSection(section);
    if (!s) {
        s = new Section;
        s->name = section;
        sections.Push(s);
    }
    changed = 1;
    for (int k = 0; k < s->keys.Count(); ++k) {
        INIKEY* e = s->keys[k];
        if (strcasecmp(e->key.c_str(), key) != 0) continue;
        if (!value[0]) {
            delete e;
            s->keys[k] = s->keys[s->keys.Count() - 1];
            DropLast(s->keys);
        } else {
            e->value = value;
        }
        return;
    }
    INIKEY* e = new INIKEY;
    e->key = key;
    e->value = value;
    s->keys.Push(e);
}

double INIOPEN(DGStr const& name)
{
    __g_Ini.Write();
    __g_Ini.Read(name);
    return 0.0;
}

DGStr INIGET_Str(DGStr const& section, DGStr const& key)
{
    DGStr const* v = __g_Ini.Get(section.c_str(), key.c_str());
    return v ? *v : DGStr("NO_DATA");
}

double INIPUT(DGStr const& section, DGStr const& key, DGStr const& value)
{
    __g_Ini.Put(section.c_str(), key.c_str(), value.c_str());
    return 0.0;
}

} // namespace __VELTRIC__
