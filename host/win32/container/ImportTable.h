// A loaded module's import address table: the viewer points some of a
// hosted module's imports at calls of its own (what it draws, its
// password dialog), which pass on to the real ones or answer themselves.
#pragma once

#include <windows.h>

#include <cstddef>

struct ImportReplacement {
    const char* name;   // the imported function's name
    ULONG_PTR function; // what the module calls instead
};

// Points each of `module`'s imports named in `replacements` at its
// replacement; answers the names it found, as a bit set by their index.
// Safe to call again for the same module.
unsigned ReplaceImports(HMODULE module, const ImportReplacement* replacements, std::size_t count);

// The real function `name` of `library`, never through an import table
// (which may be one pointed elsewhere).
FARPROC RealFunction(const wchar_t* library, const char* name);
