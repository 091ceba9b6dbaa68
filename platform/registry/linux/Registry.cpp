#include "platform/registry/linux/StandInRegistry.h"

#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <sstream>

#include "platform/com/Variant.h"
#include "platform/kernel/linux/HandleTable.h"
#include "platform/trace/Trace.h"

namespace {

// A key path is its full name below the root, keys joined by "\".
struct Store {
    std::map<std::string, std::map<std::string, std::pair<DWORD, std::string>>> keys;
};

struct Registry {
    std::mutex mutex;
    HandleTable<HKEY, const std::string> open{0x5000}; // handle to key path
    int writesLeft = -1;
};

Registry& registry()
{
    // Never destroyed: threads still running at exit may use it.
    static Registry* r = new Registry;
    return *r;
}

std::string lower(std::string s)
{
    for (auto& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string escape(const std::string& s)
{
    std::string out;
    for (char c : s) {
        if (c == '\\' || c == '"') out += '\\';
        if (c == '\n') {
            out += "\\n";
            continue;
        }
        out += c;
    }
    return out;
}

std::string unescape(const std::string& s)
{
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 1 < s.size()) {
            ++i;
            out += s[i] == 'n' ? '\n' : s[i];
        } else {
            out += s[i];
        }
    }
    return out;
}

// Reads a quoted string at `pos`; false when the line is malformed.
bool quoted(const std::string& line, size_t& pos, std::string& out)
{
    if (pos >= line.size() || line[pos] != '"') return false;
    std::string raw;
    for (++pos; pos < line.size(); ++pos) {
        if (line[pos] == '\\' && pos + 1 < line.size()) {
            raw += line[pos];
            raw += line[++pos];
        } else if (line[pos] == '"') {
            ++pos;
            out = unescape(raw);
            return true;
        } else {
            raw += line[pos];
        }
    }
    return false;
}

Store load()
{
    Store store;
    std::ifstream in(standin::RegistryPath());
    std::string key;
    for (std::string line; std::getline(in, line);) {
        if (line.size() > 2 && line.front() == '[' && line.back() == ']') {
            key = line.substr(1, line.size() - 2);
            store.keys[key];
            continue;
        }
        if (key.empty() || line.empty() || line[0] == ';') continue;
        std::string name;
        size_t pos = 0;
        if (line[0] == '@') {
            pos = 1;
        } else if (!quoted(line, pos, name)) {
            continue;
        }
        if (pos >= line.size() || line[pos] != '=') continue;
        ++pos;
        if (line.compare(pos, 6, "dword:") == 0) {
            store.keys[key][name] = {REG_DWORD, std::to_string(std::strtoul(line.c_str() + pos + 6, nullptr, 16))};
        } else {
            std::string value;
            if (quoted(line, pos, value)) store.keys[key][name] = {REG_SZ, value};
        }
    }
    return store;
}

LSTATUS save(const Store& store)
{
    auto& r = registry();
    if (r.writesLeft == 0) return ERROR_WRITE_FAULT;
    const std::string path = standin::RegistryPath();
    // The folder is made directly, never through a shell, whatever its name.
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);
    const std::string temporary = path + ".new." + std::to_string(getpid());
    {
        std::ofstream out(temporary, std::ios::trunc);
        if (!out) return ERROR_ACCESS_DENIED;
        out << "; camview registry\n";
        for (const auto& [key, values] : store.keys) {
            out << "\n[" << key << "]\n";
            for (const auto& [name, value] : values) {
                out << (name.empty() ? std::string("@") : "\"" + escape(name) + "\"") << "=";
                if (value.first == REG_DWORD) {
                    char hex[16];
                    std::snprintf(hex, sizeof hex, "%08lx", std::strtoul(value.second.c_str(), nullptr, 10));
                    out << "dword:" << hex << "\n";
                } else {
                    out << "\"" << escape(value.second) << "\"\n";
                }
            }
        }
        out.flush();
        if (!out) {
            std::remove(temporary.c_str());
            return ERROR_WRITE_FAULT;
        }
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::remove(temporary.c_str());
        return ERROR_ACCESS_DENIED;
    }
    if (r.writesLeft > 0) --r.writesLeft;
    return ERROR_SUCCESS;
}

// Finds the stored spelling of a key path, matching without regard to case.
std::string findKey(const Store& store, const std::string& path)
{
    const std::string wanted = lower(path);
    for (const auto& [key, values] : store.keys)
        if (lower(key) == wanted) return key;
    return {};
}

std::string join(const std::string& base, LPCSTR sub)
{
    if (!sub || !*sub) return base;
    return base.empty() ? std::string(sub) : base + "\\" + sub;
}

bool pathOf(HKEY key, std::string& path)
{
    if (key == HKEY_CLASSES_ROOT) {
        path = "HKEY_CLASSES_ROOT";
        return true;
    }
    const auto open = registry().open.find(key);
    if (!open) return false;
    path = *open;
    return true;
}

HKEY handleFor(const std::string& path)
{
    return registry().open.insert(std::make_shared<const std::string>(path));
}

} // namespace

const HKEY HKEY_CLASSES_ROOT = reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(0x80000000u));

std::string standin::RegistryPath()
{
    if (const char* p = std::getenv("VE_REGISTRY"); p && *p) return p;
    if (const char* d = std::getenv("XDG_DATA_HOME"); d && *d) return std::string(d) + "/camview/registry";
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : ".") + "/.local/share/camview/registry";
}

void standin::RegistryFailWritesAfter(int writes)
{
    std::lock_guard lock(registry().mutex);
    registry().writesLeft = writes < 0 ? -1 : writes;
}

LSTATUS RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD, LPSTR, DWORD, REGSAM, const void*, HKEY* result, DWORD* disposition)
{
    VE_TRACE(registry, "(%p, %s, %p, %p)", traceHandle(key), traceText(subKey).c_str(), traceHandle(result),
             traceHandle(disposition));
    std::lock_guard lock(registry().mutex);
    std::string base;
    if (!result || !pathOf(key, base)) return ERROR_INVALID_HANDLE;
    Store store = load();
    std::string path = join(base, subKey);
    const std::string existing = findKey(store, path);
    if (disposition) *disposition = existing.empty() ? 1 : 2; // created, opened
    if (existing.empty()) {
        // Every key on the way exists too.
        std::string partial;
        std::stringstream parts(path);
        for (std::string part; std::getline(parts, part, '\\');) {
            partial = partial.empty() ? part : partial + "\\" + part;
            if (findKey(store, partial).empty()) store.keys[partial];
        }
        if (const LSTATUS rc = save(store)) return rc;
    } else {
        path = existing;
    }
    *result = handleFor(path);
    return ERROR_SUCCESS;
}

LSTATUS RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD, REGSAM, HKEY* result)
{
    VE_TRACE(registry, "(%p, %s, %p)", traceHandle(key), traceText(subKey).c_str(), traceHandle(result));
    std::lock_guard lock(registry().mutex);
    std::string base;
    if (!result || !pathOf(key, base)) return ERROR_INVALID_HANDLE;
    const std::string path = findKey(load(), join(base, subKey));
    if (path.empty()) return ERROR_FILE_NOT_FOUND;
    *result = handleFor(path);
    return ERROR_SUCCESS;
}

LSTATUS RegCloseKey(HKEY key)
{
    VE_TRACE(registry, "(%p)", traceHandle(key));
    std::lock_guard lock(registry().mutex);
    return registry().open.remove(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

LSTATUS RegSetValueExA(HKEY key, LPCSTR name, DWORD, DWORD type, const BYTE* data, DWORD size)
{
    VE_TRACE(registry, "(%p, %s, 0x%lx, %p, 0x%lx)", traceHandle(key), traceText(name).c_str(),
             static_cast<unsigned long>(type), traceHandle(data), static_cast<unsigned long>(size));
    std::lock_guard lock(registry().mutex);
    std::string path;
    if (!pathOf(key, path)) return ERROR_INVALID_HANDLE;
    std::string value;
    if (type == REG_DWORD) {
        if (!data || size < sizeof(DWORD)) return ERROR_INVALID_PARAMETER;
        DWORD v;
        std::memcpy(&v, data, sizeof v);
        value = std::to_string(v);
    } else if (type == REG_SZ) {
        const char* text = reinterpret_cast<const char*>(data);
        value = text ? std::string(text, strnlen(text, size)) : std::string();
    } else {
        return ERROR_INVALID_PARAMETER;
    }
    Store store = load();
    const std::string existing = findKey(store, path);
    store.keys[existing.empty() ? path : existing][name ? name : ""] = {type, value};
    return save(store);
}

LSTATUS RegGetValueA(HKEY key, LPCSTR subKey, LPCSTR value, DWORD flags, DWORD* type, void* data, DWORD* size)
{
    VE_TRACE(registry, "(%p, %s, %s, 0x%lx, %p, %p, %p)", traceHandle(key), traceText(subKey).c_str(),
             traceText(value).c_str(), static_cast<unsigned long>(flags), traceHandle(type), traceHandle(data),
             traceHandle(size));
    HKEY opened = key;
    if (subKey && *subKey) {
        const LSTATUS status = RegOpenKeyExA(key, subKey, 0, KEY_READ, &opened);
        if (status != ERROR_SUCCESS) return status;
    }
    DWORD found = 0;
    LSTATUS status = RegQueryValueExA(opened, value, nullptr, &found, static_cast<BYTE*>(data), size);
    if (opened != key) RegCloseKey(opened);
    const bool allowed = (found == REG_SZ && (flags & RRF_RT_REG_SZ)) || (found == REG_DWORD && (flags & RRF_RT_REG_DWORD));
    if (status == ERROR_SUCCESS && !allowed) status = ERROR_UNSUPPORTED_TYPE;
    if (type) *type = found;
    return status;
}

LSTATUS RegQueryValueExA(HKEY key, LPCSTR name, DWORD*, DWORD* type, BYTE* data, DWORD* size)
{
    VE_TRACE(registry, "(%p, %s, %p, %p, %p)", traceHandle(key), traceText(name).c_str(), traceHandle(type),
             traceHandle(data), traceHandle(size));
    std::lock_guard lock(registry().mutex);
    std::string path;
    if (!pathOf(key, path)) return ERROR_INVALID_HANDLE;
    const Store store = load();
    const std::string stored = findKey(store, path);
    if (stored.empty()) return ERROR_FILE_NOT_FOUND;
    const auto& values = store.keys.at(stored);
    const std::string wanted = lower(name ? name : "");
    for (const auto& [n, value] : values) {
        if (lower(n) != wanted) continue;
        if (type) *type = value.first;
        if (value.first == REG_DWORD) {
            const DWORD v = static_cast<DWORD>(std::strtoul(value.second.c_str(), nullptr, 10));
            if (!size) return ERROR_SUCCESS;
            if (!data || *size < sizeof v) {
                *size = sizeof v;
                return data ? ERROR_MORE_DATA : ERROR_SUCCESS;
            }
            std::memcpy(data, &v, sizeof v);
            *size = sizeof v;
            return ERROR_SUCCESS;
        }
        const DWORD needed = static_cast<DWORD>(value.second.size() + 1);
        if (!size) return ERROR_SUCCESS;
        if (!data || *size < needed) {
            *size = needed;
            return data ? ERROR_MORE_DATA : ERROR_SUCCESS;
        }
        std::memcpy(data, value.second.c_str(), needed);
        *size = needed;
        return ERROR_SUCCESS;
    }
    return ERROR_FILE_NOT_FOUND;
}

LSTATUS RegDeleteTreeA(HKEY key, LPCSTR subKey)
{
    VE_TRACE(registry, "(%p, %s)", traceHandle(key), traceText(subKey).c_str());
    std::lock_guard lock(registry().mutex);
    std::string base;
    if (!pathOf(key, base)) return ERROR_INVALID_HANDLE;
    Store store = load();
    const std::string path = findKey(store, join(base, subKey));
    if (path.empty()) return ERROR_FILE_NOT_FOUND;
    // Without a subkey the key itself stays, emptied of values and keys.
    const bool keepKey = !subKey || !*subKey;
    if (keepKey) store.keys[path].clear();
    const std::string prefix = lower(path) + "\\";
    for (auto it = store.keys.begin(); it != store.keys.end();) {
        const std::string k = lower(it->first);
        if ((k == lower(path) && !keepKey) || k.compare(0, prefix.size(), prefix) == 0)
            it = store.keys.erase(it);
        else
            ++it;
    }
    return save(store);
}

// The wide calls store what the narrow ones do: names and texts in UTF-8.
namespace {
std::string narrowOf(LPCWSTR text)
{
    if (!text) return std::string();
    std::size_t length = 0;
    while (text[length]) ++length;
    return OleToUtf8(text, length);
}
} // namespace

LSTATUS RegCreateKeyExW(HKEY key, LPCWSTR subKey, DWORD reserved, LPWSTR, DWORD options, REGSAM sam,
                        const void* security, HKEY* result, DWORD* disposition)
{
    const std::string narrow = narrowOf(subKey);
    return RegCreateKeyExA(key, subKey ? narrow.c_str() : nullptr, reserved, nullptr, options, sam, security, result,
                           disposition);
}

LSTATUS RegSetValueExW(HKEY key, LPCWSTR name, DWORD reserved, DWORD type, const BYTE* data, DWORD size)
{
    VE_TRACE(registry, "(%p, %p, 0x%lx, 0x%lx, %p, 0x%lx)", traceHandle(key), traceHandle(name),
             static_cast<unsigned long>(reserved), static_cast<unsigned long>(type), traceHandle(data),
             static_cast<unsigned long>(size));
    const std::string narrowName = narrowOf(name);
    if (type != REG_SZ || !data) return RegSetValueExA(key, name ? narrowName.c_str() : nullptr, reserved, type, data, size);
    // A text's size counts its UTF-16 units and terminator, in bytes.
    std::u16string text(size / sizeof(WCHAR), u'\0');
    std::memcpy(text.data(), data, text.size() * sizeof(WCHAR));
    while (!text.empty() && text.back() == u'\0') text.pop_back();
    const std::string utf8 = OleToUtf8(text.data(), text.size());
    return RegSetValueExA(key, name ? narrowName.c_str() : nullptr, reserved, type,
                          reinterpret_cast<const BYTE*>(utf8.c_str()), static_cast<DWORD>(utf8.size() + 1));
}

LSTATUS RegDeleteTreeW(HKEY key, LPCWSTR subKey)
{
    VE_TRACE(registry, "(%p, %p)", traceHandle(key), traceHandle(subKey));
    const std::string narrow = narrowOf(subKey);
    return RegDeleteTreeA(key, subKey ? narrow.c_str() : nullptr);
}
