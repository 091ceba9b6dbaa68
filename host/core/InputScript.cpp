#include "host/core/InputScript.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

// Limits that keep a mistaken or hostile file from taking the viewer over.
constexpr std::size_t kMaxActions = 100000;
constexpr long kMaxCoordinate = 32767;
constexpr long kMaxNotches = 100;

bool number(const std::string& word, long min, long max, long* out)
{
    if (word.empty() || word.size() > 18) return false;
    char* end = nullptr;
    const long long v = std::strtoll(word.c_str(), &end, 10);
    if (*end != '\0' || v < min || v > max) return false;
    *out = static_cast<long>(v);
    return true;
}

bool point(const std::vector<std::string>& words, std::size_t at, POINT* pt)
{
    long x = 0, y = 0;
    if (words.size() < at + 2) return false;
    if (!number(words[at], -kMaxCoordinate, kMaxCoordinate, &x) || !number(words[at + 1], -kMaxCoordinate, kMaxCoordinate, &y))
        return false;
    *pt = POINT{static_cast<LONG>(x), static_cast<LONG>(y)};
    return true;
}

} // namespace

InputScript ParseInputScript(const std::string& text)
{
    InputScript script;
    std::istringstream in(text);
    std::string line;
    int lineNumber = 0;
    auto fail = [&](const std::string& why) {
        script.actions.clear();
        script.error = "line " + std::to_string(lineNumber) + ": " + why;
        return script;
    };
    while (std::getline(in, line)) {
        ++lineNumber;
        if (const auto hash = line.find('#'); hash != std::string::npos) line.erase(hash);
        std::istringstream words(line);
        std::vector<std::string> w;
        for (std::string word; words >> word && w.size() < 8;) w.push_back(word);
        if (w.empty()) continue;
        if (script.actions.size() >= kMaxActions) return fail("more than 100000 actions");
        InputAction a;
        long at = 0;
        if (!number(w[0], 0, 86400000, &at)) return fail("a time in milliseconds comes first");
        a.atMs = static_cast<std::uint64_t>(at);
        if (w.size() < 2) return fail("an action follows the time");
        const std::string& verb = w[1];
        if (verb == "move") {
            a.kind = InputAction::Kind::Move;
            if (w.size() != 4 || !point(w, 2, &a.pt)) return fail("move takes X Y");
        } else if (verb == "down" || verb == "up" || verb == "click") {
            a.kind = verb == "down" ? InputAction::Kind::Down : verb == "up" ? InputAction::Kind::Up : InputAction::Kind::Click;
            if (w.size() != 5 || (w[2] != "left" && w[2] != "right") || !point(w, 3, &a.pt))
                return fail(verb + " takes left|right X Y");
            a.right = w[2] == "right";
        } else if (verb == "wheel") {
            a.kind = InputAction::Kind::Wheel;
            long notches = 0;
            if (w.size() != 5 || !point(w, 2, &a.pt) || !number(w[4], -kMaxNotches, kMaxNotches, &notches))
                return fail("wheel takes X Y NOTCHES");
            a.notches = static_cast<int>(notches);
        } else if (verb == "key") {
            a.kind = InputAction::Kind::Key;
            if (w.size() != 3 || (w[2] != "Escape" && w[2] != "p" && w[2] != "q")) return fail("key takes Escape, p or q");
            a.key = w[2];
        } else {
            return fail("unknown action \"" + verb + "\"");
        }
        script.actions.push_back(a);
    }
    std::stable_sort(script.actions.begin(), script.actions.end(),
                     [](const InputAction& l, const InputAction& r) { return l.atMs < r.atMs; });
    return script;
}

InputScript ReadInputScript(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        InputScript script;
        script.error = "cannot read " + path;
        return script;
    }
    std::stringstream text;
    text << in.rdbuf();
    InputScript script = ParseInputScript(text.str());
    if (!script.error.empty()) script.error = path + ": " + script.error;
    return script;
}
