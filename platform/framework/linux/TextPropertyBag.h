// The Linux stand-in's property bag of named texts, as a page's PARAM
// elements give them. Names match without regard to letter case, as browsers
// match them.
#pragma once

#include <atomic>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/com/OleInterfaces.h"

class TextPropertyBag final : public IPropertyBag {
public:
    TextPropertyBag() = default;
    // From a page's PARAMs: the first of a name counts.
    explicit TextPropertyBag(const std::vector<std::pair<std::string, std::string>>& params);

    // Adds or replaces a property; the first spelling of a name is kept.
    void set(const std::string& name, const std::string& value);
    std::optional<std::string> get(const std::string& name) const;
    // The properties in the order they were first set.
    const std::vector<std::pair<std::string, std::string>>& entries() const { return m_entries; }

    HRESULT QueryInterface(REFIID riid, void** ppv) override;
    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT Read(LPCOLESTR pszPropName, VARIANT* pVar, IErrorLog* pErrorLog) override;
    HRESULT Write(LPCOLESTR pszPropName, VARIANT* pVar) override;

private:
    // Owned by whoever made it; the reference count only guards misuse.
    std::atomic<ULONG> m_refs{1};
    std::vector<std::pair<std::string, std::string>> m_entries;
};
