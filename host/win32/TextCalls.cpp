#include "host/win32/TextCalls.h"

#include <cstring>

namespace {

thread_local TextCallRecording* t_recording = nullptr;

int WINAPI recordedDrawTextA(HDC dc, LPCSTR text, int length, LPRECT rect, UINT format)
{
    if (text) RecordTextCall(text, length);
    return DrawTextA(dc, text, length, rect, format);
}

BOOL WINAPI recordedTextOutA(HDC dc, int x, int y, LPCSTR text, int length)
{
    if (text) RecordTextCall(text, length);
    return TextOutA(dc, x, y, text, length);
}

// Replaces one entry of an import address table.
bool patch(ULONG_PTR* slot, ULONG_PTR value)
{
    if (*slot == value) return true;
    DWORD old = 0;
    if (!VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &old)) return false;
    *slot = value;
    VirtualProtect(slot, sizeof *slot, old, &old);
    return true;
}

} // namespace

void RecordTextCall(const char* text, int length)
{
    if (!t_recording) return;
    t_recording->m_texts.emplace_back(text, length < 0 ? std::strlen(text) : static_cast<std::size_t>(length));
}

TextCallRecording::TextCallRecording() : m_outer(t_recording) { t_recording = this; }

TextCallRecording::~TextCallRecording() { t_recording = m_outer; }

bool WatchTextCalls(HMODULE module)
{
    if (!module) return false;
    auto* base = reinterpret_cast<BYTE*>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    if (dos->e_magic != IMAGE_DOS_SIGNATURE) return false;
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    if (nt->Signature != IMAGE_NT_SIGNATURE) return false;
    const IMAGE_DATA_DIRECTORY& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (directory.VirtualAddress == 0) return false;
    bool found = false;
    for (auto* d = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress); d->Name; ++d) {
        if (!d->OriginalFirstThunk) continue;
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->OriginalFirstThunk);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            const char* name = reinterpret_cast<const char*>(
                reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData)->Name);
            ULONG_PTR* slot = reinterpret_cast<ULONG_PTR*>(&slots->u1.Function);
            if (std::strcmp(name, "DrawTextA") == 0)
                found = patch(slot, reinterpret_cast<ULONG_PTR>(&recordedDrawTextA)) || found;
            else if (std::strcmp(name, "TextOutA") == 0)
                found = patch(slot, reinterpret_cast<ULONG_PTR>(&recordedTextOutA)) || found;
        }
    }
    return found;
}
