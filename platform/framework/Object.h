// CObject: the framework's root class (runtime class name, virtual
// destructor, serialisation hook).
#pragma once

class CArchive;

class CObject {
public:
    virtual ~CObject() = default;
    virtual const char* GetRuntimeClassName() const { return "CObject"; }
    virtual void Serialize(CArchive&) {}

protected:
    CObject() = default;
};
