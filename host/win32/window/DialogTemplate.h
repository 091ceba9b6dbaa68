// A dialog made from a template in memory, as the viewer's own dialogs are
// (the password dialog of the page fetch, the address dialog of the
// window): no resource script, so that they build into any program.
#pragma once

#include <windows.h>

#include <vector>

// An in-memory dialog template: the header, then each item DWORD-aligned,
// each string as UTF-16 words.
class DialogTemplate {
public:
    // The system's predefined classes, by atom.
    static constexpr WORD kButton = 0x0080;
    static constexpr WORD kEdit = 0x0081;
    static constexpr WORD kStatic = 0x0082;
    static constexpr WORD kComboBox = 0x0085;

    DialogTemplate(const wchar_t* title, short cx, short cy)
    {
        const DWORD style = DS_MODALFRAME | DS_CENTER | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU;
        addDword(style);
        addDword(0);                        // extended style
        m_countAt = m_words.size();
        addWord(0);                         // items, counted as they are added
        addWord(0);                         // x
        addWord(0);                         // y
        addWord(static_cast<WORD>(cx));
        addWord(static_cast<WORD>(cy));
        addWord(0);                         // no menu
        addWord(0);                         // the standard dialog class
        addText(title);
        addWord(8);                         // point size
        addText(L"MS Shell Dlg");
    }

    void item(WORD classAtom, const wchar_t* text, WORD id, DWORD style, short x, short y, short cx, short cy)
    {
        if (m_words.size() % 2) addWord(0); // DWORD alignment
        addDword(style | WS_CHILD | WS_VISIBLE);
        addDword(0);
        addWord(static_cast<WORD>(x));
        addWord(static_cast<WORD>(y));
        addWord(static_cast<WORD>(cx));
        addWord(static_cast<WORD>(cy));
        addWord(id);
        addWord(0xFFFF);
        addWord(classAtom);
        addText(text);
        addWord(0); // no creation data
        ++m_words[m_countAt];
    }

    const DLGTEMPLATE* get() const { return reinterpret_cast<const DLGTEMPLATE*>(m_words.data()); }

private:
    void addWord(WORD w) { m_words.push_back(w); }
    void addDword(DWORD d)
    {
        addWord(LOWORD(d));
        addWord(HIWORD(d));
    }
    void addText(const wchar_t* text)
    {
        for (; *text; ++text) addWord(static_cast<WORD>(*text));
        addWord(0);
    }

    std::vector<WORD> m_words; // WORD-aligned from the allocator; items align within
    size_t m_countAt = 0;
};

