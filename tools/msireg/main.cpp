// msireg: writes the registry entries that registering the control module
// makes, as rows of a Windows Installer package (a WiX include file), so
// that the package registers the control through its own tables from the
// same list the module's DllRegisterServer writes.
//
//   msireg win32|win64 OUTPUT [OUTPUT-32] [MODULE-FILE-ID] [FOLDER-ID]
//
// The module's path is the installed file's ([#MODULE-FILE-ID]) and the
// type library's help folder the installation folder ([FOLDER-ID], which
// ends in a backslash as the module's registration writes it). On 64-bit
// Windows registering a type library writes its dispatch interfaces into
// the 32-bit view of the registry as well, so that 32-bit callers can
// marshal them: OUTPUT-32 receives those keys, for a component of the
// 32-bit view.
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "control/module/RegistryList.h"

namespace {

std::string escaped(const std::string& text)
{
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        // Brackets are the installer's property references; the only ones
        // written are the two below.
        default: out += c;
        }
    }
    return out;
}

// keyPath: the key's default value is its component's key path.
void writeKey(std::FILE* out, const RegistryKeyEntry& key, bool keyPath = false)
{
    const std::string path = escaped(key.path);
    if (key.values.empty()) {
        // A key without values: "*" creates it at installation and removes
        // it with everything under it at removal.
        std::fprintf(out, "  <RegistryValue Root=\"HKCR\" Key=\"%s\" Name=\"*\" Type=\"string\" Value=\"\"/>\n", path.c_str());
        return;
    }
    std::fprintf(out, "  <RegistryKey Root=\"HKCR\" Key=\"%s\">\n", path.c_str());
    for (const auto& [name, value] : key.values) {
        if (name.empty())
            std::fprintf(out, "    <RegistryValue Type=\"string\" Value=\"%s\"%s/>\n", escaped(value).c_str(),
                         keyPath ? " KeyPath=\"yes\"" : "");
        else
            std::fprintf(out, "    <RegistryValue Name=\"%s\" Type=\"string\" Value=\"%s\"/>\n", escaped(name).c_str(),
                         escaped(value).c_str());
    }
    std::fprintf(out, "  </RegistryKey>\n");
}

// keyPath: the first key's default value is the component's key path.
bool writeInclude(const char* path, const std::vector<RegistryKeyEntry>& keys, bool keyPath = false)
{
    std::FILE* out = std::fopen(path, "w");
    if (!out) {
        std::fprintf(stderr, "msireg: cannot write %s\n", path);
        return false;
    }
    std::fprintf(out, "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<!-- Written by msireg: the module's registration "
                      "as the package writes it. -->\n<Include>\n");
    for (std::size_t i = 0; i < keys.size(); ++i) writeKey(out, keys[i], keyPath && i == 0);
    std::fprintf(out, "</Include>\n");
    return std::fclose(out) == 0;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string platform = argc > 2 ? argv[1] : "";
    if (platform != "win32" && platform != "win64") {
        std::fprintf(stderr, "usage: msireg win32|win64 OUTPUT [OUTPUT-32] [MODULE-FILE-ID] [FOLDER-ID]\n");
        return 2;
    }
    const std::string file = argc > 4 ? argv[4] : "VE_VIRIZU.OCX";
    const std::string folder = argc > 5 ? argv[5] : "INSTALLDIR";
    // Property references, written as they are: not escaped.
    const std::string module = "[#" + escaped(file) + "]";
    const std::string directory = "[" + escaped(folder) + "]";
    std::vector<RegistryKeyEntry> keys = ClassRegistryKeys(module);
    std::vector<RegistryKeyEntry> interfaces;
    for (RegistryKeyEntry& key : TypeLibraryRegistryKeys(module, directory, platform)) {
        if (key.path.rfind("Interface\\", 0) == 0) interfaces.push_back(key);
        keys.push_back(std::move(key));
    }
    if (!writeInclude(argv[2], keys)) return 1;
    if (argc > 3 && !writeInclude(argv[3], interfaces, true)) return 1;
    return 0;
}
