#include "host/win32/PageSource.h"

#include "host/win32/FetchText.h"
#ifdef VE_HAVE_PAGE_READER
#include "host/page/NetworkErrors.h"
#endif

const char* const kImageControlClass = "{4D8D78A3-35E9-499D-8771-4ADA8876B786}";

PageSource LoadPageSource(const std::string& pageUrl, const std::vector<std::pair<std::string, std::string>>& params,
                          const std::string& user, HWND owner, bool interactive)
{
    PageSource source;
    if (!params.empty() || pageUrl.empty()) {
        EmbeddedObject object;
        object.classId = kImageControlClass;
        object.params = params;
        source.objects.push_back(object);
        source.name = "the parameters";
        return source;
    }
    source.name = pageUrl;
    std::string body;
    if (!FetchPageBody(pageUrl, user, owner, interactive, body, source.error)) return source;
#ifdef VE_HAVE_PAGE_READER
    source.objects = ParseViewerPage(body);
#else
    source.error = "this camview was built without the page reader; give the control's --param values";
#endif
    return source;
}

std::string ExplainStatus(const std::string& status)
{
#ifdef VE_HAVE_PAGE_READER
    return ExplainControlStatus(status);
#else
    (void)status;
    return {};
#endif
}
