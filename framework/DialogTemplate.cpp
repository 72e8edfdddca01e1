#include "DialogTemplate.h"

#include <objbase.h>

#include <cstring>

namespace {

// Reads an extended template, checking every step against its end.
class TemplateReader {
public:
    TemplateReader(const BYTE* data, size_t size) : m_data(data), m_size(size) {}
    bool Ok() const { return m_ok; }
    size_t Offset() const { return m_at; }
    void Seek(size_t at)
    {
        if (at > m_size) m_ok = false;
        m_at = at;
    }
    void Align4() { Seek((m_at + 3) & ~static_cast<size_t>(3)); }
    template <class T>
    T Read()
    {
        T value{};
        if (m_at + sizeof(T) > m_size) {
            m_ok = false;
            return value;
        }
        std::memcpy(&value, m_data + m_at, sizeof(T));
        m_at += sizeof(T);
        return value;
    }
    // A name or ordinal field: 0 (none), 0xFFFF then an ordinal, or a zero-ended string.
    std::wstring NameOrOrdinal()
    {
        const WORD first = Read<WORD>();
        if (first == 0) return std::wstring();
        if (first == 0xFFFF) {
            Read<WORD>();
            return std::wstring();
        }
        std::wstring text(1, static_cast<wchar_t>(first));
        for (WORD c = Read<WORD>(); m_ok && c != 0; c = Read<WORD>()) text += static_cast<wchar_t>(c);
        return text;
    }
    void SkipString()
    {
        for (WORD c = Read<WORD>(); m_ok && c != 0; c = Read<WORD>()) {
        }
    }

private:
    const BYTE* m_data;
    size_t m_size;
    size_t m_at = 0;
    bool m_ok = true;
};

#pragma pack(push, 1)
struct ItemHeader {
    DWORD helpId;
    DWORD exStyle;
    DWORD style;
    short x, y, cx, cy;
    DWORD id;
};
#pragma pack(pop)

} // namespace

std::vector<BYTE> StripActiveXItems(const void* dialogTemplate, size_t size, std::vector<DialogActiveXItem>& items)
{
    const BYTE* data = static_cast<const BYTE*>(dialogTemplate);
    std::vector<BYTE> copy(data, data + size);
    items.clear();
    TemplateReader in(data, size);
    // 1. The header: version 1 and signature 0xFFFF mark an extended template.
    const WORD version = in.Read<WORD>();
    const WORD signature = in.Read<WORD>();
    if (!in.Ok() || version != 1 || signature != 0xFFFF) return copy;
    in.Read<DWORD>(); // help id
    in.Read<DWORD>(); // extended style
    const DWORD style = in.Read<DWORD>();
    const size_t countAt = in.Offset();
    const WORD count = in.Read<WORD>();
    in.Seek(in.Offset() + 4 * sizeof(short));
    in.NameOrOrdinal(); // menu
    in.NameOrOrdinal(); // class
    in.SkipString();    // title
    if (style & (DS_SETFONT | DS_SHELLFONT)) {
        in.Read<WORD>();
        in.Read<WORD>();
        in.Read<BYTE>();
        in.Read<BYTE>();
        in.SkipString();
    }
    if (!in.Ok()) return copy;

    // 2. The items, each on a 4-byte boundary: kept ones are copied, ActiveX ones recorded.
    std::vector<BYTE> out(data, data + in.Offset());
    WORD kept = 0;
    for (WORD i = 0; i < count; ++i) {
        in.Align4();
        const size_t start = in.Offset();
        const ItemHeader header = in.Read<ItemHeader>();
        const std::wstring className = in.NameOrOrdinal();
        in.NameOrOrdinal(); // title
        const WORD extra = in.Read<WORD>();
        in.Seek(in.Offset() + extra);
        if (!in.Ok()) return copy;
        CLSID clsid;
        if (!className.empty() && className[0] == L'{' &&
            SUCCEEDED(::CLSIDFromString(const_cast<LPOLESTR>(className.c_str()), &clsid))) {
            items.push_back({ clsid,
                              static_cast<UINT>(header.id),
                              header.style,
                              { header.x, header.y, header.x + header.cx, header.y + header.cy } });
            continue;
        }
        while (out.size() % 4) out.push_back(0);
        out.insert(out.end(), data + start, data + in.Offset());
        ++kept;
    }
    std::memcpy(&out[countAt], &kept, sizeof(kept));
    return out;
}
