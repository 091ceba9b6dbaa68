// Which controls a page may make the viewer load. A page is untrusted: it
// could name any control installed on the machine and hand it data of its
// own. The viewer hosts the camera's image control, and another class only
// when the user names it (--allow-class); and it gives a control the
// page's PARAMs only once the control has agreed, through IObjectSafety,
// to be initialised from untrusted data.
#pragma once

#include <string>
#include <vector>

#include "platform/com/ObjectSafety.h"

class ControlPolicy {
public:
    // allowedClasses: class identifiers the user allows besides the image
    // control's ("{...}" or without braces, any letter case).
    explicit ControlPolicy(const std::vector<std::string>& allowedClasses = {});

    // Empty when a page's OBJECT naming `classText` (a class identifier or
    // a ProgID) may be created; otherwise the line that says why not.
    std::string refusal(const std::string& classText) const;

    // Empty when `control` agrees to be loaded from the page's PARAMs
    // (INTERFACESAFE_FOR_UNTRUSTED_DATA on IPersistPropertyBag); otherwise
    // the line that says it declined.
    static std::string declined(IUnknown* control, const std::string& classText);

    // A class identifier as text in one form: without braces, upper case;
    // empty when the text is not one.
    static std::string Normalised(const std::string& classText);

private:
    std::vector<std::string> m_allowed; // normalised
};
