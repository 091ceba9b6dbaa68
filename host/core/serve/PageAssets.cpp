#include "host/core/serve/PageAssets.h"

namespace {

constexpr PageAsset kAssets[] = {
    {"/", "text/html; charset=utf-8",
     "<!doctype html><meta charset=utf-8><title>camview</title><link rel=stylesheet href=/style.css>"
     "<script src=/app.js defer></script><main id=wall></main>"},
    {"/app.js", "text/javascript; charset=utf-8", "fetch('/cameras').then(r=>r.json()).then(j=>{for(const c of j.cameras){"
                                                  "const i=document.createElement('img');i.src='/cameras/'+c.index+'/live.mjpeg';"
                                                  "document.getElementById('wall').append(i);}});"},
    {"/style.css", "text/css; charset=utf-8", "img{max-width:100%}"},
    {"/login", "text/html; charset=utf-8",
     "<!doctype html><meta charset=utf-8><title>camview</title><form method=post action=/login>"
     "<input name=user><input name=password type=password><button>Log in</button></form>"},
};

} // namespace

const PageAsset* FindPageAsset(std::string_view path)
{
    for (const PageAsset& asset : kAssets)
        if (asset.path == path) return &asset;
    return nullptr;
}
