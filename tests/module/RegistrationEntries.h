// What registering the module writes under HKEY_CLASSES_ROOT, the same on
// Linux and Windows but for the type library's platform key: each key as
// "key" and each string value as "key|name=value" (@ names the default
// value). The Linux and the Windows module tests both compare the registry
// with this one list.
#pragma once

#include <set>
#include <string>

inline std::set<std::string> RegistrationEntries(const std::string& module, const std::string& directory,
                                                 const std::string& platform)
{
    const std::string control = "CLSID\\{4D8D78A3-35E9-499D-8771-4ADA8876B786}";
    const std::string page = "CLSID\\{09EF6554-603C-4370-A96F-173992656FBF}";
    const std::string libid = "{A625E7DA-00E1-4B10-B611-2049B587DA3E}";
    const std::string lib = "TypeLib\\" + libid;
    const std::string progId = "RW-DPV20.ImageCtrl.1";
    const std::string proxy = "{00020420-0000-0000-C000-000000000046}";
    std::set<std::string> out = {
        control, control + "|@=Ve_virizu Control", control + "\\ProgID", control + "\\ProgID|@=" + progId,
        control + "\\InprocServer32", control + "\\InprocServer32|@=" + module,
        control + "\\InprocServer32|ThreadingModel=Apartment", control + "\\Insertable", control + "\\ToolboxBitmap32",
        control + "\\ToolboxBitmap32|@=" + module + ", 1", control + "\\MiscStatus", control + "\\MiscStatus|@=0",
        control + "\\MiscStatus\\1", control + "\\MiscStatus\\1|@=131473", control + "\\Control", control + "\\TypeLib",
        control + "\\TypeLib|@=" + libid, control + "\\Version", control + "\\Version|@=1.0",
        progId, progId + "|@=Ve_virizu Control", progId + "\\CLSID",
        progId + "\\CLSID|@={4D8D78A3-35E9-499D-8771-4ADA8876B786}", progId + "\\Insertable",
        page, page + "|@=Ve_virizu Property Page", page + "\\InprocServer32", page + "\\InprocServer32|@=" + module,
        page + "\\InprocServer32|ThreadingModel=Apartment",
        lib, lib + "\\1.0", lib + "\\1.0|@=RW-DPV20 OLE Control module", lib + "\\1.0\\0", lib + "\\1.0\\0\\" + platform,
        lib + "\\1.0\\0\\" + platform + "|@=" + module, lib + "\\1.0\\FLAGS", lib + "\\1.0\\FLAGS|@=10",
        lib + "\\1.0\\HELPDIR", lib + "\\1.0\\HELPDIR|@=" + directory};
    for (const char* iid : {"{D949CC3B-9820-40DA-B3B2-5314A1681B47}", "{C76F8EF1-819F-49A6-8E5D-7EACD4E167C4}"}) {
        const std::string key = std::string("Interface\\") + iid;
        for (const std::string& entry :
             {key, key + "\\ProxyStubClsid", key + "\\ProxyStubClsid|@=" + proxy, key + "\\ProxyStubClsid32",
              key + "\\ProxyStubClsid32|@=" + proxy, key + "\\TypeLib", key + "\\TypeLib|@=" + libid,
              key + "\\TypeLib|Version=1.0"})
            out.insert(entry);
    }
    out.insert("Interface\\{D949CC3B-9820-40DA-B3B2-5314A1681B47}|@=_ZEz_orerir");
    out.insert("Interface\\{C76F8EF1-819F-49A6-8E5D-7EACD4E167C4}|@=_VEd_oruvudUruzuv");
    return out;
}
