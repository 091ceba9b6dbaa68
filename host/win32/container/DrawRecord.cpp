#include "host/win32/container/DrawRecord.h"

#include "host/core/StatusLine.h"

#include <cstring>

#include "host/win32/container/Utf.h"

namespace {

struct Reader {
    DrawRecord record;
    // The clip rectangle of the text output before, while one wrapping
    // output's lines follow each other.
    bool inLines = false;
    RECTL linesRect{};
};

// Whether a record of `size` bytes holds `count` items of `unit` bytes at
// `offset`.
bool holds(DWORD size, DWORD offset, DWORD count, DWORD unit)
{
    return offset <= size && count <= (size - offset) / unit;
}

bool sameRect(const RECTL& a, const RECTL& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

void picture(Reader& r, LONG x, LONG y, LONG cx, LONG cy)
{
    r.record.pictures.push_back(RECT{x, y, x + cx, y + cy});
    r.inLines = false;
}

// A text output. Wrapping text (DrawText) comes as one clipped output per
// line or word, all clipped to the same rectangle: they are one text.
void text(Reader& r, const EMRTEXT& t, std::string s)
{
    const bool wrapped = (t.fOptions & ETO_CLIPPED) != 0;
    if (wrapped && r.inLines && sameRect(t.rcl, r.linesRect) && !r.record.texts.empty()) {
        std::string& joined = r.record.texts.back();
        // Lines are joined by one blank, whether a line kept the blank it
        // broke at or not.
        if (!s.empty()) joined += (joined.empty() || joined.back() == ' ' || s.front() == ' ' ? "" : " ") + s;
        return;
    }
    r.record.texts.push_back(std::move(s));
    r.inLines = wrapped;
    r.linesRect = t.rcl;
}

int CALLBACK readRecord(HDC, HANDLETABLE*, const ENHMETARECORD* rec, int, LPARAM context)
{
    Reader& r = *reinterpret_cast<Reader*>(context);
    const DWORD size = rec->nSize;
    const auto* bytes = reinterpret_cast<const BYTE*>(rec);
    switch (rec->iType) {
    case EMR_BITBLT:
        if (size >= sizeof(EMRBITBLT)) {
            const auto* b = reinterpret_cast<const EMRBITBLT*>(rec);
            if (b->cbBmiSrc != 0 && b->cbBitsSrc != 0) picture(r, b->xDest, b->yDest, b->cxDest, b->cyDest);
        }
        break;
    case EMR_STRETCHBLT:
        if (size >= sizeof(EMRSTRETCHBLT)) {
            const auto* b = reinterpret_cast<const EMRSTRETCHBLT*>(rec);
            if (b->cbBmiSrc != 0 && b->cbBitsSrc != 0) picture(r, b->xDest, b->yDest, b->cxDest, b->cyDest);
        }
        break;
    case EMR_STRETCHDIBITS:
        if (size >= sizeof(EMRSTRETCHDIBITS)) {
            const auto* b = reinterpret_cast<const EMRSTRETCHDIBITS*>(rec);
            picture(r, b->xDest, b->yDest, b->cxDest, b->cyDest);
        }
        break;
    case EMR_SETDIBITSTODEVICE:
        if (size >= sizeof(EMRSETDIBITSTODEVICE)) {
            const auto* b = reinterpret_cast<const EMRSETDIBITSTODEVICE*>(rec);
            picture(r, b->xDest, b->yDest, b->cxSrc, b->cySrc);
        }
        break;
    case EMR_EXTTEXTOUTW:
        if (size >= sizeof(EMREXTTEXTOUTW)) {
            const auto* t = reinterpret_cast<const EMREXTTEXTOUTW*>(rec);
            if (holds(size, t->emrtext.offString, t->emrtext.nChars, sizeof(WCHAR))) {
                std::wstring s(t->emrtext.nChars, L'\0');
                std::memcpy(s.data(), bytes + t->emrtext.offString, s.size() * sizeof(WCHAR));
                text(r, t->emrtext, Narrow(s));
            }
        }
        break;
    case EMR_EXTTEXTOUTA:
        if (size >= sizeof(EMREXTTEXTOUTA)) {
            const auto* t = reinterpret_cast<const EMREXTTEXTOUTA*>(rec);
            if (holds(size, t->emrtext.offString, t->emrtext.nChars, 1))
                text(r, t->emrtext, std::string(reinterpret_cast<const char*>(bytes + t->emrtext.offString), t->emrtext.nChars));
        }
        break;
    default:
        break;
    }
    return 1;
}

} // namespace

DrawRecord ReadMetafile(HENHMETAFILE metafile)
{
    Reader reader;
    if (metafile) EnumEnhMetaFile(nullptr, metafile, &readRecord, &reader, nullptr);
    return std::move(reader.record);
}

DrawRecord RecordDraw(IViewObject* view, const RECT& bounds, HDC reference)
{
    if (!view) return {};
    HDC dc = CreateEnhMetaFileW(reference, nullptr, nullptr, nullptr);
    if (!dc) return {};
    const RECTL drawBounds{bounds.left, bounds.top, bounds.right, bounds.bottom};
    view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, dc, &drawBounds, nullptr, nullptr, 0);
    HENHMETAFILE metafile = CloseEnhMetaFile(dc);
    DrawRecord record = ReadMetafile(metafile);
    if (metafile) DeleteEnhMetaFile(metafile);
    return record;
}

std::string StatusOf(const DrawRecord& record)
{
    return record.pictures.empty() ? StatusOfTexts(record.texts) : std::string();
}
